#pragma once

#include <QString>
#include <QStringList>

// What "Save as:" writes for each source.
enum class OutputChoice {
    JpgFirstFrame,
    PngFirstFrame,
    AnimatedGif,
    AnimatedWebp,
    PngEveryFrame,
    PngStrip,
    // One Linux cursor file per source.
    Xcursor,
    // One Linux cursor theme per theme pack: the sources of a pack's folder make one job.
    CursorTheme,
};

// Every choice, in the order the window offers them; the first is the default.
const QList<OutputChoice>& OutputChoices();

// The text the window shows for a choice.
QString LabelOf(OutputChoice choice);

// The stored form of a choice, and back; an absent or unknown text is the default.
QString SettingTextOf(OutputChoice choice);
OutputChoice OutputChoiceFromSetting(const QString& text);

// What follows the source's name without its extension in the file named for it (".jpg",
// "-strip.png", ...): no two choices name a file alike, so results of several choices can share a
// folder. The converter numbers every-frame outputs after this name ("name-1.png", ...).
QString OutputSuffixOf(OutputChoice choice);

// Whether the quality slider means anything for the choice; lossless outputs ignore it.
bool UsesQuality(OutputChoice choice);

// Whether the choice makes Linux cursors, which take the cursor sizes instead of a quality.
bool UsesCursorSizes(OutputChoice choice);

// Whether the choice lays partly transparent pixels on a background colour (JPG, GIF); the
// others keep transparency.
bool UsesBackground(OutputChoice choice);

// The background as stored ("#RRGGBB", any case, "#" optional), as "#RRGGBB"; white for an absent
// or damaged value.
QString BackgroundFromSetting(const QString& text);
inline const QString kWhiteBackground = QStringLiteral("#FFFFFF");

// The caption of the quality frame.
QString QualityCaption(OutputChoice choice, int quality);

// The converter's arguments for one file. The default choice on white gives exactly
// -q N -out jpeg -truecolors -o OUTPUT SOURCE; another background adds -background #RRGGBB to
// the choices that use one, and cursor sizes add -sizes LIST to a Linux cursor (none: the
// converter's own choice). A theme is made of a whole pack: ThemeArguments(source, output).
QStringList ConverterArguments(OutputChoice choice, int quality, const QString& output,
                               const QString& source, const QString& background = kWhiteBackground,
                               const QList<int>& cursorSizes = {});

// The converter's arguments for the themes of one pack (an .inf's folder, or a folder of cursors
// named for their roles): written into outputFolder, or installed for the user when it is empty.
QStringList ThemeArguments(const QString& pack, const QString& outputFolder,
                           const QList<int>& cursorSizes = {});

// The Linux cursor sizes the window offers; no choice leaves them to the converter (the sizes in
// the files, plus 48 and 64 for cursors of 32 pixels alone).
inline const QList<int> kOfferedCursorSizes = {24, 32, 48, 64, 96, 128};
// The stored sizes ("24,32,48"): offered sizes only, in ascending order. An absent or damaged
// value, or one with a size the window does not offer, is the converter's choice (empty).
QList<int> CursorSizesFromSetting(const QString& text);
QString SettingTextOf(const QList<int>& cursorSizes);
