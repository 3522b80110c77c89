#include "conversioncommand.h"

QString OutputFileName(const QString& source, const PathStyle& style, const QString& suffix)
{
    return StripExtension(FileNameOf(source, style)) + suffix;
}

std::optional<QString> OutputPath(const SaveChoice& choice, const QString& source,
                                  const PathStyle& style)
{
    QString folder;
    if (choice.toFolder)
        folder = choice.folder;
    else if (choice.besideSource)
        folder = FolderOf(source, style);
    else
        return std::nullopt;
    // The join doubles the separator of a folder that ends in one; collapsing mends it.
    return CollapseBackslashes(
        folder + style.separator + OutputFileName(source, style, choice.suffix), style);
}

QStringList ConverterArguments(int quality, const QString& output, const QString& source)
{
    return {QStringLiteral("-q"),
            QString::number(quality),
            QStringLiteral("-out"),
            QStringLiteral("jpeg"),
            QStringLiteral("-truecolors"),
            QStringLiteral("-o"),
            output,
            source};
}
