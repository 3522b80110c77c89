#include "outputchoice.h"

#include "conversioncommand.h"

#include <algorithm>

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
    // Linux cursor files have no extension; themes are folders the converter names.
    {OutputChoice::Xcursor, "Linux cursor (Xcursor)", "xcursor", ""},
    {OutputChoice::CursorTheme, "Linux cursor theme", "theme", ""},
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

bool UsesCursorSizes(OutputChoice choice)
{
    return choice == OutputChoice::Xcursor || choice == OutputChoice::CursorTheme;
}

bool UsesBackground(OutputChoice choice)
{
    return choice == OutputChoice::JpgFirstFrame || choice == OutputChoice::AnimatedGif;
}

QString BackgroundFromSetting(const QString& text)
{
    QString hex = text.trimmed();
    if (hex.startsWith(QLatin1Char('#')))
        hex.remove(0, 1);
    const auto isHexDigit = [](QChar c) {
        const char16_t u = c.toLower().unicode();
        return (u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'f');
    };
    const bool valid = hex.size() == 6 && std::all_of(hex.begin(), hex.end(), isHexDigit);
    return valid ? QLatin1Char('#') + hex.toUpper() : kWhiteBackground;
}

QString QualityCaption(OutputChoice choice, int quality)
{
    if (UsesQuality(choice))
        return QStringLiteral("Output JPG image quality: %1%").arg(quality);
    // Said as it is: a GIF has one palette of at most 256 colours and on/off transparency.
    if (choice == OutputChoice::AnimatedGif)
        return QStringLiteral("Image quality: not used, GIF keeps up to 256 colours");
    if (choice == OutputChoice::AnimatedWebp)
        return QStringLiteral("Image quality: not used, WebP keeps every pixel");
    if (UsesCursorSizes(choice))
        return QStringLiteral("Linux cursor sizes, in pixels");
    return QStringLiteral("Image quality: not used, PNG keeps every pixel");
}

namespace {

QString sizesText(const QList<int>& sizes)
{
    QStringList texts;
    for (const int size : sizes)
        texts.append(QString::number(size));
    return texts.join(QLatin1Char(','));
}

QStringList argumentsOnWhite(OutputChoice choice, int quality, const QString& output,
                             const QString& source)
{
    switch (choice) {
    case OutputChoice::JpgFirstFrame:
        break;
    case OutputChoice::CursorTheme:
        return ThemeArguments(source, output); // ConverterArguments adds the sizes
    case OutputChoice::Xcursor:
        return {QStringLiteral("-out"), QStringLiteral("xcursor"), QStringLiteral("-o"), output,
                source};
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

} // namespace

QStringList ConverterArguments(OutputChoice choice, int quality, const QString& output,
                               const QString& source, const QString& background,
                               const QList<int>& cursorSizes)
{
    if (choice == OutputChoice::CursorTheme)
        return ThemeArguments(source, output, cursorSizes);
    QStringList arguments = argumentsOnWhite(choice, quality, output, source);
    if (UsesBackground(choice) && BackgroundFromSetting(background) != kWhiteBackground) {
        // Before the source, which comes last.
        arguments.insert(arguments.size() - 1, BackgroundFromSetting(background));
        arguments.insert(arguments.size() - 2, QStringLiteral("-background"));
    }
    if (choice == OutputChoice::Xcursor && !cursorSizes.isEmpty()) {
        // After -out xcursor, which it goes with.
        arguments.insert(2, sizesText(cursorSizes));
        arguments.insert(2, QStringLiteral("-sizes"));
    }
    return arguments;
}

QStringList ThemeArguments(const QString& pack, const QString& outputFolder,
                           const QList<int>& cursorSizes)
{
    QStringList arguments;
    if (!cursorSizes.isEmpty())
        arguments << QStringLiteral("-sizes") << sizesText(cursorSizes);
    if (outputFolder.isEmpty())
        arguments << QStringLiteral("--install");
    else
        arguments << QStringLiteral("-o") << outputFolder;
    // The pack last, as every other source comes.
    return arguments << QStringLiteral("-theme") << pack;
}

QList<int> CursorSizesFromSetting(const QString& text)
{
    QList<int> sizes;
    for (const QString& item : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int size = item.trimmed().toInt(&ok);
        if (!ok || !kOfferedCursorSizes.contains(size))
            return {};
        if (!sizes.contains(size))
            sizes.append(size);
    }
    std::sort(sizes.begin(), sizes.end());
    return sizes;
}

QString SettingTextOf(const QList<int>& cursorSizes)
{
    return sizesText(cursorSizes);
}
