#include "outputchoice.h"

#include "conversioncommand.h"

namespace {

struct ChoiceFacts
{
    OutputChoice choice;
    const char* label;
    const char* setting;
    // What follows the source's name without its extension in the file named for it.
    const char* suffix;
};

constexpr ChoiceFacts kFacts[] = {
    {OutputChoice::JpgFirstFrame, "JPG image (first frame)", "jpg", ".jpg"},
    {OutputChoice::PngFirstFrame, "PNG image (first frame)", "png", ".png"},
    {OutputChoice::AnimatedGif, "Animated GIF", "gif", ".gif"},
    {OutputChoice::AnimatedWebp, "Animated WebP", "webp", ".webp"},
    {OutputChoice::PngEveryFrame, "PNG image of every frame", "png-frames", ".png"},
    {OutputChoice::PngStrip, "PNG strip of all frames", "png-strip", "-strip.png"},
};

const ChoiceFacts& factsOf(OutputChoice choice)
{
    for (const ChoiceFacts& facts : kFacts) {
        if (facts.choice == choice)
            return facts;
    }
    return kFacts[0];
}

} // namespace

const QList<OutputChoice>& OutputChoices()
{
    static const QList<OutputChoice> choices = [] {
        QList<OutputChoice> all;
        for (const ChoiceFacts& facts : kFacts)
            all.append(facts.choice);
        return all;
    }();
    return choices;
}

QString LabelOf(OutputChoice choice)
{
    return QString::fromLatin1(factsOf(choice).label);
}

QString SettingTextOf(OutputChoice choice)
{
    return QString::fromLatin1(factsOf(choice).setting);
}

OutputChoice OutputChoiceFromSetting(const QString& text)
{
    for (const ChoiceFacts& facts : kFacts) {
        if (text.trimmed().compare(QLatin1String(facts.setting), Qt::CaseInsensitive) == 0)
            return facts.choice;
    }
    return OutputChoice::JpgFirstFrame;
}

QString OutputSuffixOf(OutputChoice choice)
{
    return QString::fromLatin1(factsOf(choice).suffix);
}

bool UsesQuality(OutputChoice choice)
{
    return choice == OutputChoice::JpgFirstFrame;
}

QString QualityCaption(OutputChoice choice, int quality)
{
    if (UsesQuality(choice))
        return QStringLiteral("Output JPG image quality: %1%").arg(quality);
    return QStringLiteral("Image quality: not used, %1 keeps every pixel").arg(LabelOf(choice));
}

QStringList ConverterArguments(OutputChoice choice, int quality, const QString& output,
                               const QString& source)
{
    switch (choice) {
    case OutputChoice::JpgFirstFrame:
        break;
    case OutputChoice::PngFirstFrame:
        return {QStringLiteral("-out"), QStringLiteral("png"), QStringLiteral("-o"), output,
                source};
    case OutputChoice::AnimatedGif:
        return {QStringLiteral("-out"), QStringLiteral("gif"), QStringLiteral("-o"), output,
                source};
    case OutputChoice::AnimatedWebp:
        return {QStringLiteral("-out"), QStringLiteral("webp"), QStringLiteral("-o"), output,
                source};
    case OutputChoice::PngEveryFrame:
        return {QStringLiteral("-out"),
                QStringLiteral("png"),
                QStringLiteral("-frames"),
                QStringLiteral("-o"),
                output,
                source};
    case OutputChoice::PngStrip:
        return {QStringLiteral("-out"),
                QStringLiteral("png"),
                QStringLiteral("-strip"),
                QStringLiteral("vertical"),
                QStringLiteral("-o"),
                output,
                source};
    }
    return ConverterArguments(quality, output, source);
}
