#include "commandlinefiles.h"

#include <QDir>

CommandLineFiles::CommandLineFiles(const QStringList& arguments, const QString& workingFolder)
{
    const QDir working(workingFolder);
    bool first = true;
    for (const QString& argument : arguments) {
        const bool endOfOptions = first && argument == QLatin1String("--");
        first = false;
        if (endOfOptions || argument.isEmpty())
            continue;
        // cleanPath also drops a trailing separator, so a folder is walked from its own name.
        paths_.append(
            QDir::toNativeSeparators(QDir::cleanPath(working.absoluteFilePath(argument))));
    }
}

QString CommandLineFiles::missingReport() const
{
    const QString heading =
        missing_.size() == 1
            ? QStringLiteral("This file or folder was not found, so it is not listed:")
            : QStringLiteral("These files or folders were not found, so they are not listed:");
    return heading + QLatin1Char('\n') + missing_.join(QLatin1Char('\n'));
}
