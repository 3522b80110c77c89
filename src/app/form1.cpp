#include "form1.h"

#include "apperror.h"
#include "applicationtitle.h"
#include "bartext.h"
#include "conversionrun.h"
#include "cursorfile.h"
#include "dialogs.h"
#include "events.h"
#include "form1_runhost.h"
#include "leftoutnames.h"
#include "paths.h"
#include "productinfo.h"
#include "settingsstore.h"
#include "trap.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShortcut>
#include <QSlider>
#include <QTreeWidget>

namespace {

// Layout units: 15 twips to the pixel.
QRect twips(int left, int top, int width, int height)
{
    const auto px = [](int t) { return (t + 7) / 15; };
    return {px(left), px(top), px(width), px(height)};
}

QFont arialBold(double points)
{
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(points);
    font.setBold(true);
    return font;
}

// An exclusive group will not clear its checked button by itself, yet the stored options may
// select neither.
void SetOptionValue(QRadioButton& option, bool value)
{
    if (value || !option.isChecked()) {
        option.setChecked(value);
        return;
    }
    option.setAutoExclusive(false);
    option.setChecked(false);
    option.setAutoExclusive(true);
}

const QString kListToolTip = QStringLiteral(
    "Drag and drop files here. Double-click item to remove it. Move | line to right and out of "
    "window to reveal full names.");

} // namespace

Form1::Form1(AppContext context, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      context_(std::move(context))
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Form1"));
    buildControls();
    connectHandlers();
    connectListEvents();
}

Form1::~Form1()
{
    // Asks the converters still running to end, waits for them (killing any that outstay their
    // grace) and removes the run's converter file.
    delete run_;
}

void Form1::buildControls()
{
    // One row below the progress bar holds "Save as:", so every other control keeps its place.
    const QSize client = twips(0, 0, 8040, 8115).size();
    setFixedSize(client);
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::Button, Qt::white);
    setPalette(white);
    setFont(arialBold(9));
    setMouseTracking(true);

    ListView1 = new QTreeWidget(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setGeometry(twips(120, 120, 7800, 2535));
    ListView1->setColumnCount(1);
    ListView1->setHeaderHidden(false);
    ListView1->setRootIsDecorated(false);
    ListView1->setUniformRowHeights(true);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setHeaderLabels({QString()});
    ListView1->header()->setStretchLastSection(false);
    ListView1->setToolTip(kListToolTip);
    ListView1->setFont(arialBold(9));

    ProgressBar1 = new TextProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setGeometry(twips(120, 7130, 7800, 405));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(true);
    ProgressBar1->setAlignment(Qt::AlignCenter);
    SetBarText(*ProgressBar1, QStringLiteral("Progress Bar"));
    // The bar is part of the window's background as far as the pointer goes.
    ProgressBar1->setMouseTracking(true);
    ProgressBar1->installEventFilter(this);

    const auto button = [this, &white](const char* name, const QString& caption, QWidget* parent,
                                       QRect geometry) {
        auto* b = new QPushButton(caption, parent);
        b->setObjectName(QLatin1String(name));
        b->setGeometry(geometry);
        b->setFont(arialBold(11.25));
        b->setAutoFillBackground(true);
        b->setPalette(white);
        b->installEventFilter(this);
        return b;
    };
    PushButton1 =
        button("PushButton1", QStringLiteral("Add ANI File(s)"), this, twips(120, 2750, 3840, 405));
    PushButton4 = button("PushButton4", QStringLiteral("Add All ANI File(s) In Folder"), this,
                         twips(4080, 2750, 3840, 405));
    PushButton2 = button("PushButton2", QStringLiteral("Start Converting"), this,
                         twips(120, 6610, 7800, 405));
    PushButton6 =
        button("PushButton6", QStringLiteral("Clear List"), this, twips(120, 3260, 3840, 405));
    PushButton7 = button("PushButton7", QStringLiteral("Load Sample/Example Files"), this,
                         twips(4080, 3260, 3840, 405));

    Frame1 = new QGroupBox(QStringLiteral("JPG Image Quality"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(twips(120, 3735, 7800, 885));
    Frame1->setMouseTracking(true);
    Frame1->installEventFilter(this);

    Slider1 = new QSlider(Qt::Horizontal, Frame1);
    Slider1->setObjectName(QStringLiteral("Slider1"));
    Slider1->setGeometry(twips(120, 240, 7560, 540));
    Slider1->setRange(1, 100);
    Slider1->setPageStep(5);
    Slider1->setSingleStep(1);
    Slider1->setValue(85);
    Slider1->setTickPosition(QSlider::TicksBelow);
    Slider1->setTickInterval(5);

    // Linux cursors take sizes instead of a quality: the frame shows these in the slider's place.
    SizesRow = new QWidget(Frame1);
    SizesRow->setObjectName(QStringLiteral("SizesRow"));
    SizesRow->setGeometry(twips(120, 240, 7560, 540));
    auto* sizesLayout = new QHBoxLayout(SizesRow);
    sizesLayout->setContentsMargins(0, 0, 0, 0);
    FileSizes = new QCheckBox(QStringLiteral("As in the files"), SizesRow);
    FileSizes->setObjectName(QStringLiteral("FileSizes"));
    FileSizes->setChecked(true);
    FileSizes->setToolTip(
        QStringLiteral("The sizes each cursor file has, plus 48 and 64 pixels for cursors of "
                       "32 pixels alone. Untick to choose the sizes."));
    sizesLayout->addWidget(FileSizes);
    sizesLayout->addStretch();
    for (const int size : kOfferedCursorSizes) {
        auto* box = new QCheckBox(QString::number(size), SizesRow);
        box->setObjectName(QStringLiteral("Size%1").arg(size));
        box->setEnabled(false);
        sizesLayout->addWidget(box);
        SizeChecks.append(box);
    }
    SizesRow->setToolTip(
        QStringLiteral("The sizes a Linux cursor holds: desktops pick the one nearest their "
                       "cursor size setting (24 by default, 48 on screens of twice the density)."));
    SizesRow->hide();

    Frame2 = new QGroupBox(QStringLiteral("Save Option"), this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    Frame2->setGeometry(twips(120, 4680, 7800, 1815));
    Frame2->setMouseTracking(true);
    Frame2->installEventFilter(this);

    Frame3 = new QFrame(Frame2);
    Frame3->setObjectName(QStringLiteral("Frame3"));
    Frame3->setGeometry(twips(480, 510, 6840, 810));
    Frame3->setMouseTracking(true);
    Frame3->installEventFilter(this);

    Text1 = new QLineEdit(Frame3);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setGeometry(twips(240, 300, 5670, 345));

    PushButton9 = button("PushButton9", QStringLiteral("..."), Frame3, twips(6000, 300, 600, 345));

    Option1 = new QRadioButton(QStringLiteral("Save results to this folder:"), Frame2);
    Option1->setObjectName(QStringLiteral("Option1"));
    Option1->setGeometry(twips(240, 300, 3615, 255));
    Option1->setChecked(true);

    Option2 = new QRadioButton(QStringLiteral("Save results in folder of original file"), Frame2);
    Option2->setObjectName(QStringLiteral("Option2"));
    Option2->setGeometry(twips(240, 1410, 3615, 255));
    Option1->installEventFilter(this);
    Option2->installEventFilter(this);

    Label1 = new QLabel(QStringLiteral("Save as:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(twips(120, 7695, 1080, 255));
    Combo1 = new QComboBox(this);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    // The row ends with the background colour of JPG and GIF, beside the choice it belongs to.
    Combo1->setGeometry(twips(1200, 7650, 5040, 345));
    for (const OutputChoice choice : OutputChoices())
        Combo1->addItem(LabelOf(choice), static_cast<int>(choice));
    Label1->setBuddy(Combo1);
    BackgroundButton = new QPushButton(QStringLiteral("Background"), this);
    BackgroundButton->setObjectName(QStringLiteral("BackgroundButton"));
    BackgroundButton->setGeometry(twips(6360, 7650, 1560, 345));
    BackgroundButton->setToolTip(
        QStringLiteral("The colour JPG and GIF lay partly transparent pixels on, such as soft "
                       "shadows and smooth edges: pick the background of the page or document "
                       "the pictures go on."));
    BackgroundButton->installEventFilter(this);

    // Frames and options let the white window show through.
    for (QWidget* w : std::initializer_list<QWidget*>{Frame1, Frame2, Frame3, Option1, Option2})
        w->setPalette(white);

    QList<QWidget*> order = {ListView1,   ProgressBar1, PushButton1, PushButton4, PushButton2,
                             PushButton6, PushButton7,  Frame1,      Slider1,     FileSizes};
    for (QCheckBox* box : SizeChecks)
        order.append(box);
    order << Frame2 << Frame3 << Text1 << PushButton9 << Option1 << Option2 << Combo1
          << BackgroundButton;
    for (qsizetype i = 0; i + 1 < order.size(); ++i)
        QWidget::setTabOrder(order[i], order[i + 1]);
}

void Form1::connectHandlers()
{
    connect(PushButton1, &QPushButton::clicked, this, &Form1::PushButton1_Click);
    connect(PushButton4, &QPushButton::clicked, this, &Form1::PushButton4_Click);
    connect(PushButton2, &QPushButton::clicked, this, &Form1::PushButton2_Click);
    connect(PushButton6, &QPushButton::clicked, this, &Form1::PushButton6_Click);
    connect(PushButton7, &QPushButton::clicked, this, &Form1::PushButton7_Click);
    connect(PushButton9, &QPushButton::clicked, this, &Form1::PushButton9_Click);
    connect(BackgroundButton, &QPushButton::clicked, this, &Form1::BackgroundButton_Click);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &Form1::StopConversion);
    connect(Slider1, &QSlider::valueChanged, this, &Form1::Slider1_Change);
    connect(Text1, &QLineEdit::textChanged, this, &Form1::Text1_Change);
    connect(Combo1, &QComboBox::currentIndexChanged, this, &Form1::Combo1_Click);
    for (QCheckBox* box : QList<QCheckBox*>{FileSizes} + SizeChecks)
        connect(box, &QCheckBox::clicked, this, [this, box] { CursorSizes_Click(box); });
    // Both "clicked by the user" and "set selected by the program" run the option handlers.
    connect(Option1, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            Option1_Click();
    });
    connect(Option2, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            Option2_Click();
    });
}

Trap Form1::makeTrap(const char* procedure) const
{
    return Trap(*context_.dialogs,
                QStringLiteral("in Pellmoor2021/08/31.Form1.%1 ").arg(QLatin1String(procedure)));
}

void Form1::Form_Load()
{
    Trap trap = makeTrap("Form_Load");
    SettingsStore& settings = *context_.settings;
    trap.at(100, [&] { ApplySkin(); });
    const QString handCursorPath = context_.programFolder + NativeSeparator() + "HAND-M.CUR";
    if (trap.test(102, [&] { return PathExists(handCursorPath); })) {
        trap.at(104, [&] {
            handCursor_ = LoadCursorFile(handCursorPath);
            setMousePointer(mousePointer_);
        });
    }
    trap.at(106, [&] { VisitHomePageAtRandom(); });
    trap.at(126, [&] {
        setWindowTitle(ProductInfo::kProductName);
        setWindowIcon(QIcon(QStringLiteral(":/corvenda/app.png")));
        SetApplicationTitle();
    });
    trap.at(128, [&] { ListView1->setHeaderLabels({QStringLiteral("ANI File(s)")}); });
    trap.at(130, [&] { ListView1->setColumnWidth(0, twips(0, 0, 7000, 0).width()); });
    restoringSettings_ = true;
    trap.at(132, [&] {
        Text1->setText(settings.read(QStringLiteral("Text1"), DefaultOutputFolderPath()));
    });
    trap.at(134, [&] {
        Slider1->setValue(StoredInteger(settings.read(QStringLiteral("Slider1"), "85"),
                                        Slider1->minimum(), Slider1->maximum(), 85));
    });
    trap.at(136, [&] {
        Frame1->setTitle(QStringLiteral("Output JPG image quality: %1%").arg(Slider1->value()));
    });
    trap.at(137, [&] {
        const OutputChoice choice =
            OutputChoiceFromSetting(settings.read(QStringLiteral("OutputFormat"), QString()));
        Combo1->setCurrentIndex(static_cast<int>(OutputChoices().indexOf(choice)));
        ShowBackground(BackgroundFromSetting(settings.read(QStringLiteral("Background"), {})));
        ShowCursorSizes(CursorSizesFromSetting(settings.read(QStringLiteral("CursorSizes"), {})));
        ShowQualityFor(choice);
    });
    trap.at(138, [&] {
        SetOptionValue(*Option1,
                       StoredBoolean(settings.read(QStringLiteral("Option1"), "1"), true));
    });
    trap.at(140, [&] {
        SetOptionValue(*Option2,
                       StoredBoolean(settings.read(QStringLiteral("Option2"), "0"), false));
    });
    restoringSettings_ = false;
    if (trap.test(142, [&] { return Option1->isChecked(); }))
        trap.at(144, [&] { Frame3->setEnabled(true); });
    else
        trap.at(146, [&] { Frame3->setEnabled(false); });
}

void Form1::ApplySkin()
{
    const QString skinPath =
        context_.programFolder + NativeSeparator() + "x" + NativeSeparator() + "o.cjs";
    if (!QFile::exists(skinPath))
        return;
    QPalette face = palette();
    const QColor buttonFace = QApplication::palette().color(QPalette::Button);
    face.setColor(QPalette::Window, buttonFace);
    setPalette(face);
    for (QWidget* w : std::initializer_list<QWidget*>{Frame1, Frame2, Frame3, Option1, Option2}) {
        QPalette p = w->palette();
        p.setColor(QPalette::Window, buttonFace);
        p.setColor(QPalette::Button, buttonFace);
        w->setPalette(p);
        w->setAutoFillBackground(true);
    }
    QFile skin(skinPath);
    if (!skin.open(QIODevice::ReadOnly))
        throw AppError::fileNotFound(skinPath);
    setStyleSheet(QString::fromUtf8(skin.readAll()));
}

void Form1::VisitHomePageAtRandom()
{
    if (context_.drawPercent && context_.drawPercent() == 7)
        context_.dialogs->openInShell(ProductInfo::kHomePage);
}

void Form1::SetApplicationTitle()
{
    applicationTitle_ = ApplicationTitleFor(ProductInfo::kProductName);
}

void Form1::setMousePointer(int value)
{
    mousePointer_ = value;
    switch (value) {
    case MousePointer::kArrow:
        setCursor(Qt::ArrowCursor);
        break;
    case MousePointer::kHourglass:
        // A run can be stopped, so its pointer still says the window takes clicks.
        setCursor(Converting ? Qt::BusyCursor : Qt::WaitCursor);
        break;
    case MousePointer::kCustom:
        if (handCursor_)
            setCursor(*handCursor_);
        else
            unsetCursor();
        break;
    default:
        unsetCursor();
        break;
    }
}

void Form1::Form_MouseMove()
{
    if (mousePointer_ != MousePointer::kHourglass)
        setMousePointer(MousePointer::kDefault);
}

void Form1::PushButton_MouseMove()
{
    if (mousePointer_ != MousePointer::kHourglass)
        setMousePointer(MousePointer::kCustom);
}

bool Form1::eventFilter(QObject* watched, QEvent* event)
{
    // Enter presses a focused button as Space does.
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        auto* button = qobject_cast<QPushButton*>(watched);
        if (button && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
            if (!static_cast<QKeyEvent*>(event)->isAutoRepeat())
                button->click();
            return true;
        }
    }
    // Tab enters the save options at the chosen one, as it does in every group of options; the
    // arrow keys then move between them.
    if (event->type() == QEvent::FocusIn && (watched == Option1 || watched == Option2)) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        QRadioButton* other = watched == Option1 ? Option2 : Option1;
        if ((reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason) &&
            !static_cast<QRadioButton*>(watched)->isChecked() && other->isChecked()) {
            other->setFocus(reason);
            return true;
        }
    }
    const bool move = event->type() == QEvent::MouseMove || event->type() == QEvent::Enter ||
                      event->type() == QEvent::HoverMove;
    if (move) {
        if (qobject_cast<QPushButton*>(watched))
            PushButton_MouseMove();
        else if (watched == Frame1 || watched == Frame2 || watched == Frame3 ||
                 watched == ProgressBar1)
            Form_MouseMove();
    }
    return QWidget::eventFilter(watched, event);
}

void Form1::mouseMoveEvent(QMouseEvent* event)
{
    Form_MouseMove();
    QWidget::mouseMoveEvent(event);
}

void Form1::closeEvent(QCloseEvent* event)
{
    // A run is stopped as the Stop button stops it: its converters are asked to end and clean up
    // after themselves. The window goes at once; the program waits for them as it ends.
    closing_ = true;
    StopConversion();
    event->accept();
    // A folder walk holds the window's events below its handler and writes nothing; ending the
    // program at once is the quickest way out of it.
    if (walks_ > 0 && context_.endProgram)
        context_.endProgram();
}

WalkPacer Form1::walkPacer()
{
    return [] { LetEventsRun(); };
}

void Form1::reportLeftOut(const LeftOutNames& leftOut)
{
    if (leftOut.count() > 0)
        context_.dialogs->messageBox(leftOut.report(), applicationTitle(), MessageButtons::Ok,
                                     MessageIcon::None);
}

bool Form1::listMayChange()
{
    if (!Converting)
        return true;
    context_.dialogs->messageBox(
        QStringLiteral("Files cannot be removed from the list or moved while files are being "
                       "converted. Files you add now are converted at the end of this run. Press "
                       "\"Stop Converting\" to change the list."),
        applicationTitle(), MessageButtons::Ok, MessageIcon::None);
    return false;
}

// The file list.

void Form1::appendPath(const QString& path)
{
    appendPaths({path});
}

void Form1::appendPaths(const QStringList& paths)
{
    QList<QTreeWidgetItem*> items;
    items.reserve(paths.size());
    for (const QString& path : paths) {
        auto* item = new QTreeWidgetItem;
        item->setText(0, path);
        items.append(item);
    }
    ListView1->addTopLevelItems(items);
    // Files added during a run join it at its end.
    if (run_)
        run_->add(paths);
}

OutputChoice Form1::outputChoice() const
{
    return static_cast<OutputChoice>(Combo1->currentData().toInt());
}

int Form1::itemCount() const
{
    return ListView1->topLevelItemCount();
}

QString Form1::itemText(int index) const
{
    const QTreeWidgetItem* item = ListView1->topLevelItem(index - 1);
    if (!item)
        throw AppError::invalidArgument();
    return item->text(0);
}

void Form1::setItemText(int index, const QString& text)
{
    QTreeWidgetItem* item = ListView1->topLevelItem(index - 1);
    if (!item)
        throw AppError::invalidArgument();
    item->setText(0, text);
}

void Form1::removeItem(int index)
{
    delete ListView1->takeTopLevelItem(index - 1);
}

void Form1::clearItems()
{
    ListView1->clear();
}

int Form1::selectedIndex() const
{
    const QList<QTreeWidgetItem*> selected = ListView1->selectedItems();
    if (selected.isEmpty())
        return 0;
    return ListView1->indexOfTopLevelItem(selected.front()) + 1;
}

void Form1::selectItem(int index)
{
    QTreeWidgetItem* item = ListView1->topLevelItem(index - 1);
    if (!item)
        return;
    ListView1->setCurrentItem(item);
    item->setSelected(true);
}

QStringList Form1::itemTexts() const
{
    QStringList texts;
    const int n = itemCount();
    texts.reserve(n);
    for (int i = 0; i < n; ++i)
        texts.append(ListView1->topLevelItem(i)->text(0));
    return texts;
}
