#pragma once

#include <QString>

// The program folder: where HAND-M.CUR, drag.ico, the skin x/o.cjs and Samples are looked for.
//
// It is the executable's own folder (a Windows folder copied whole, and the build tree), except in
// an installed Unix tree, where these files live in <prefix>/share/corvenda while the program is
// <prefix>/bin/corvenda. Only the relative step from one to the other is known at build time, so a
// prefix that is moved or unpacked under DESTDIR still finds its files.

// installedDataFolder: where an installation keeps the files, relative to the executable's folder
// ("" when the platform keeps them beside the program). The result has native separators and no
// trailing separator.
QString ProgramFolderFor(const QString& executableFolder, const QString& installedDataFolder);

// The program folder of the running program.
QString ProgramFolder();
