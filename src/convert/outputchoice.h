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
// the choices that use one.
QStringList ConverterArguments(OutputChoice choice, int quality, const QString& output,
                               const QString& source, const QString& background = kWhiteBackground);
