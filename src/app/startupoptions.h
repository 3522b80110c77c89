#pragma once

#include <QString>
#include <QStringList>

// What the command line asks for before any window exists. Help and the version are printed
// and the program ends, with no display needed.
enum class StartupRequest {
    OpenWindow,
    Help,
    Version,
};

// arguments: without the program name. "--help" (or "-h") and "--version" count anywhere before
// a "--"; after it every argument names a file.
StartupRequest StartupRequestOf(const QStringList& arguments);

QString HelpText();

// noticesFile: where the licence notices of the libraries the program carries are.
QString VersionText(const QString& noticesFile);

// The licence notices file: in installedDocFolder (relative to the executable's folder) when
// that folder exists, else beside the program. Native separators.
QString NoticesFileFor(const QString& executableFolder, const QString& installedDocFolder);

// The licence notices file of the running program.
QString NoticesFile();
