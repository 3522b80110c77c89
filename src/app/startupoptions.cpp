#include "startupoptions.h"

#include "productinfo.h"
#include "programfolder.h"

#include <QCoreApplication>
#include <QDir>

StartupRequest StartupRequestOf(const QStringList& arguments)
{
    for (const QString& argument : arguments) {
        if (argument == QLatin1String("--"))
            break;
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h"))
            return StartupRequest::Help;
        if (argument == QLatin1String("--version"))
            return StartupRequest::Version;
    }
    return StartupRequest::OpenWindow;
}

QString HelpText()
{
    return QStringLiteral(
        "usage: corvenda [--] [FILE | FOLDER]...\n"
        "Opens the window that turns animated cursor files into JPG images. Files named are\n"
        "listed as if dropped onto the list; a folder lists every file of its tree.\n"
        "  --help     print this help and exit\n"
        "  --version  print the version and where the licence notices are, and exit\n"
        "  --         ends the options (for a file whose name starts with a dash)\n"
        "The usual Qt options (for example -platform NAME) are accepted as well.\n");
}

QString VersionText(const QString& noticesFile)
{
    return ProductInfo::kProductName + QLatin1Char(' ') + QStringLiteral(CORVENDA_VERSION) +
           QStringLiteral("\nLicence notices of the libraries it carries: ") + noticesFile +
           QLatin1Char('\n');
}

QString NoticesFileFor(const QString& executableFolder, const QString& installedDocFolder)
{
    return ProgramFolderFor(executableFolder, installedDocFolder) + QDir::separator() +
           QStringLiteral("THIRD-PARTY-NOTICES.txt");
}

QString NoticesFile()
{
    return NoticesFileFor(QCoreApplication::applicationDirPath(),
                          QStringLiteral(CORVENDA_INSTALLED_DOC));
}
