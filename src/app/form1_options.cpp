#include "addfolder.h"
#include "form1.h"
#include "paths.h"
#include "settingsstore.h"
#include "trap.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QIcon>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

// The slider, option and text handlers have no numbered statements of their own; they still run
// under a trap so a failing settings write is reported rather than escaping into the event loop.

void Form1::Slider1_Change()
{
    Trap trap = makeTrap("Slider1_Change");
    trap.at(100, [&] {
        Frame1->setTitle(QualityCaption(outputChoice(), Slider1->value()));
        storeSetting(QStringLiteral("Slider1"), QString::number(Slider1->value()));
    });
}

void Form1::Combo1_Click()
{
    const OutputChoice choice = outputChoice();
    storeSetting(QStringLiteral("OutputFormat"), SettingTextOf(choice));
    ShowQualityFor(choice);
}

void Form1::ShowQualityFor(OutputChoice choice)
{
    Frame1->setTitle(QualityCaption(choice, Slider1->value()));
    Slider1->setEnabled(UsesQuality(choice) && !Converting);
    Slider1->setVisible(!UsesCursorSizes(choice));
    SizesRow->setVisible(UsesCursorSizes(choice));
    SizesRow->setEnabled(!Converting);
    BackgroundButton->setEnabled(UsesBackground(choice) && !Converting);
}

void Form1::CursorSizes_Click(QCheckBox* box)
{
    Trap trap = makeTrap("CursorSizes_Click");
    trap.at(100, [&] {
        QList<int> sizes = cursorSizes();
        if (box == FileSizes && !FileSizes->isChecked() && sizes.isEmpty())
            sizes = {24, 32, 48, 64}; // what desktops' own themes hold, as a start
        // Unticking the last size goes back to the files' sizes.
        ShowCursorSizes(sizes);
        storeSetting(QStringLiteral("CursorSizes"), SettingTextOf(cursorSizes()));
    });
}

QList<int> Form1::cursorSizes() const
{
    QList<int> sizes;
    if (FileSizes->isChecked())
        return sizes;
    for (qsizetype i = 0; i < SizeChecks.size(); ++i)
        if (SizeChecks[i]->isChecked())
            sizes.append(kOfferedCursorSizes[i]);
    return sizes;
}

void Form1::ShowCursorSizes(const QList<int>& sizes)
{
    FileSizes->setChecked(sizes.isEmpty());
    for (qsizetype i = 0; i < SizeChecks.size(); ++i) {
        SizeChecks[i]->setChecked(sizes.contains(kOfferedCursorSizes[i]));
        SizeChecks[i]->setEnabled(!sizes.isEmpty());
    }
}

void Form1::BackgroundButton_Click()
{
    const std::optional<QString> chosen =
        context().dialogs->chooseColour(QStringLiteral("Background for JPG and GIF"), background_);
    if (!chosen)
        return;
    ShowBackground(BackgroundFromSetting(*chosen));
    storeSetting(QStringLiteral("Background"), background_);
}

void Form1::ShowBackground(const QString& colour)
{
    background_ = colour;
    QPixmap swatch(12, 12);
    swatch.fill(QColor::fromString(colour));
    {
        QPainter frame(&swatch);
        frame.setPen(palette().color(QPalette::WindowText));
        frame.drawRect(0, 0, swatch.width() - 1, swatch.height() - 1);
    }
    BackgroundButton->setIcon(QIcon(swatch));
    BackgroundButton->setAccessibleDescription(QStringLiteral("Background colour %1").arg(colour));
}

void Form1::Option1_Click()
{
    SaveOption_Click("Option1_Click");
}

void Form1::Option2_Click()
{
    SaveOption_Click("Option2_Click");
}

void Form1::SaveOption_Click(const char* procedure)
{
    Trap trap = makeTrap(procedure);
    trap.at(100, [&] {
        storeSetting(QStringLiteral("Option1"), BooleanText(Option1->isChecked()));
        storeSetting(QStringLiteral("Option2"), BooleanText(Option2->isChecked()));
    });
    trap.at(102, [&] { Frame3->setEnabled(Option1->isChecked()); });
}

void Form1::storeSetting(const QString& key, const QString& text)
{
    // The controls taking their stored values write nothing back: a damaged value is left for
    // the user to change, not replaced behind their back.
    if (!restoringSettings_)
        context_.settings->write(key, text);
}

void Form1::Text1_Change()
{
    Trap trap = makeTrap("Text1_Change");
    trap.at(100, [&] {
        // A path pasted in quotes ("Copy as path") or starting with ~ becomes the folder it
        // names; plain typing, spaces included, is left alone.
        const QString text = Text1->text();
        const QString folder = FolderFromUserText(text).path;
        if (folder != text.trimmed())
            Text1->setText(folder);
    });
    trap.at(102, [&] { storeSetting(QStringLiteral("Text1"), Text1->text()); });
}

void Form1::PushButton9_Click()
{
    Trap trap = makeTrap("PushButton9_Click");
    SettingsStore& settings = *context().settings;
    QString chosen;
    trap.at(100, [&] {
        const QString lastOutputFolder = settings.read(QStringLiteral("LastFolderDot"), QString());
        chosen = BrowseForFolder(*context().dialogs, QStringLiteral("Please select folder:"),
                                 lastOutputFolder);
    });
    if (trap.test(102, [&] { return chosen.isEmpty(); }))
        return;
    trap.at(104, [&] { settings.write(QStringLiteral("LastFolderDot"), chosen); });
    if (trap.test(106, [&] { return !chosen.endsWith(kNativePaths.separator); }))
        trap.at(108, [&] { Text1->setText(chosen + kNativePaths.separator); });
    else
        trap.at(110, [&] { Text1->setText(chosen); });
}
