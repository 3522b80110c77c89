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

// The extension of the file named for a source (".jpg", ".png", ...). Every frame and strip
// outputs are named after it by the converter.
QString ExtensionOf(OutputChoice choice);

// Whether the quality slider means anything for the choice; lossless outputs ignore it.
bool UsesQuality(OutputChoice choice);

// The caption of the quality frame.
QString QualityCaption(OutputChoice choice, int quality);

// The converter's arguments for one file. The default choice gives exactly
// -q N -out jpeg -truecolors -o OUTPUT SOURCE.
QStringList ConverterArguments(OutputChoice choice, int quality, const QString& output,
                               const QString& source);
