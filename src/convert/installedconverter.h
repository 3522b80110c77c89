#pragma once

#include <QString>
#include <optional>

// The converter installed with the program: <prefix>/libexec/corvenda/nconvert for an installed
// Unix program (<prefix>/bin/corvenda), nconvert.exe beside corvenda.exe on Windows. An
// installed one that only the system or the user can change runs where it is, so a run writes
// no program anywhere.

// The converter file that belongs with a program in executableFolder, or "" when there is none.
// installedConverterFolder: where an installation keeps it, relative to the executable's folder
// ("" when it sits beside the program). The result has native separators.
QString InstalledConverterFor(const QString& executableFolder,
                              const QString& installedConverterFolder);

// The installed converter of the running program, or "" (as in the build tree of a Unix build).
QString InstalledConverter();

// Why the installed converter must not run in place, or nothing when it may.
std::optional<QString> InstalledConverterProblem(const QString& path);
