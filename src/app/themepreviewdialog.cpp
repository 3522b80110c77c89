#include "themepreviewdialog.h"

#include "themepack.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QGridLayout>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>
#include <algorithm>

namespace {

constexpr int kColumns = 6;
// Often enough for the shortest steps real cursors have (a jiffy is about 17 ms).
constexpr int kTickMilliseconds = 15;
// Room for the cursor and the space around it.
constexpr int kCellSide = ThemePreviewDialog::kShownSize + 24;

QImage imageOf(const nconv::Image& image)
{
    const QImage view(image.rgba.data(), static_cast<int>(image.width),
                      static_cast<int>(image.height), static_cast<qsizetype>(image.width) * 4,
                      QImage::Format_RGBA8888);
    return view.copy();
}

QString utf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

ThemePreviewDialog::ThemePreviewDialog(const QStringList& themeFolders, const QString& title,
                                       QWidget* parent)
    : QDialog(parent), folders_(themeFolders), title_(title)
{
    setObjectName(QStringLiteral("ThemePreview"));
    auto* layout = new QVBoxLayout(this);
    if (folders_.size() > 1) {
        chooser_ = new QComboBox(this);
        chooser_->setObjectName(QStringLiteral("ThemeChooser"));
        for (const QString& folder : folders_)
            chooser_->addItem(QDir(folder).dirName());
        layout->addWidget(chooser_);
        connect(chooser_, &QComboBox::currentIndexChanged, this, &ThemePreviewDialog::showTheme);
    }
    where_ = new QLabel(this);
    where_->setTextFormat(Qt::PlainText);
    where_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(where_);
    problem_ = new QLabel(this);
    problem_->setTextFormat(Qt::PlainText);
    problem_->setWordWrap(true);
    layout->addWidget(problem_);
    panel_ = new QWidget(this);
    panel_->setAutoFillBackground(true);
    layout->addWidget(panel_);
    buildCells();
    legend_ = new QLabel(
        QStringLiteral("\u2014 The theme has no cursor of its own there (hover for why); desktops "
                       "show the inherited theme's."),
        this);
    legend_->setWordWrap(true);
    layout->addWidget(legend_);
    auto* bottom = new QHBoxLayout;
    dark_ = new QCheckBox(QStringLiteral("Dark background"), this);
    connect(dark_, &QCheckBox::toggled, this, &ThemePreviewDialog::setBackground);
    bottom->addWidget(dark_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    bottom->addWidget(buttons);
    layout->addLayout(bottom);
    setBackground(false);

    tick_.setInterval(kTickMilliseconds);
    connect(&tick_, &QTimer::timeout, this,
            [this] { showAt(static_cast<quint64>(clock_.elapsed())); });
    showTheme(0);
    tick_.start();
}

void ThemePreviewDialog::buildCells()
{
    auto* grid = new QGridLayout(panel_);
    const auto& roles = ctheme::roleTable();
    for (std::size_t i = 0; i < roles.size(); ++i) {
        Cell cell;
        cell.picture = new QLabel(panel_);
        cell.picture->setFixedSize(kCellSide, kCellSide);
        cell.picture->setAlignment(Qt::AlignCenter);
        cell.caption = new QLabel(panel_);
        cell.caption->setTextFormat(Qt::PlainText);
        cell.caption->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        const int row = static_cast<int>(i) / kColumns * 2;
        const int column = static_cast<int>(i) % kColumns;
        grid->addWidget(cell.picture, row, column, Qt::AlignHCenter);
        grid->addWidget(cell.caption, row + 1, column, Qt::AlignHCenter | Qt::AlignTop);
        cells_.push_back(cell);
    }
}

void ThemePreviewDialog::setBackground(bool dark)
{
    QPalette palette = panel_->palette();
    palette.setColor(QPalette::Window, dark ? QColor(0x30, 0x30, 0x30) : QColor(0xf4, 0xf4, 0xf4));
    palette.setColor(QPalette::WindowText, dark ? Qt::white : Qt::black);
    panel_->setPalette(palette);
}

void ThemePreviewDialog::showTheme(int index)
{
    const QString folder = folders_.value(index);
    theme_ = {};
    problem_->clear();
    try {
        theme_ = themepreview::readThemePreview(
            ctheme::pathFromUtf8(QDir::toNativeSeparators(folder).toUtf8().toStdString()),
            kShownSize);
    } catch (const std::exception& e) {
        problem_->setText(QStringLiteral("This theme cannot be shown: %1").arg(utf8(e.what())));
    }
    problem_->setVisible(!problem_->text().isEmpty());
    setWindowTitle(theme_.name.empty()
                       ? title_
                       : QStringLiteral("%1: cursor theme \"%2\"").arg(title_, utf8(theme_.name)));
    where_->setText(QDir::toNativeSeparators(folder));
    for (std::size_t i = 0; i < cells_.size(); ++i) {
        Cell& cell = cells_[i];
        cell.shown = -1;
        cell.picture->clear();
        const themepreview::RoleCursor* cursor =
            i < theme_.roles.size() ? &theme_.roles[i] : nullptr;
        const QString label =
            cursor ? utf8(cursor->label) : utf8(std::string(ctheme::roleTable()[i].label));
        cell.caption->setText(cursor ? label + QLatin1Char('\n') + utf8(cursor->cursor) : label);
        if (!cursor || cursor->steps.empty()) {
            cell.picture->setText(QStringLiteral("\u2014"));
            cell.picture->setToolTip(cursor ? utf8(cursor->problem) : QString());
            continue;
        }
        const nconv::Image& first = cursor->steps.front().image;
        const QString hotSpot =
            first.hotSpot
                ? QStringLiteral("hot spot %1, %2").arg(first.hotSpot->x).arg(first.hotSpot->y)
                : QStringLiteral("no hot spot");
        cell.picture->setToolTip(QStringLiteral("%1: %2 x %3, %4; %5 steps, %6 ms in all")
                                     .arg(label)
                                     .arg(first.width)
                                     .arg(first.height)
                                     .arg(hotSpot)
                                     .arg(cursor->steps.size())
                                     .arg(cursor->duration()));
    }
    legend_->setVisible(std::any_of(theme_.roles.begin(), theme_.roles.end(),
                                    [](const auto& cursor) { return cursor.steps.empty(); }));
    clock_.start();
    showAt(0);
}

void ThemePreviewDialog::showAt(quint64 elapsed)
{
    for (std::size_t i = 0; i < cells_.size() && i < theme_.roles.size(); ++i) {
        const themepreview::RoleCursor& cursor = theme_.roles[i];
        if (cursor.steps.empty())
            continue;
        const int step = static_cast<int>(cursor.stepAt(elapsed));
        if (step == cells_[i].shown)
            continue;
        cells_[i].shown = step;
        cells_[i].picture->setPixmap(
            QPixmap::fromImage(imageOf(cursor.steps[static_cast<std::size_t>(step)].image)));
    }
}

std::vector<int> ThemePreviewDialog::shownSteps() const
{
    std::vector<int> steps;
    for (const Cell& cell : cells_)
        steps.push_back(cell.shown);
    return steps;
}

QString ThemePreviewDialog::problem() const
{
    return problem_->text();
}
