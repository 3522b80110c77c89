#pragma once

#include <QString>
#include <QStringList>

// The folders a run may put its converter in, in the order they are tried: "TEMP" (a folder of
// ours inside it when others can write there), $XDG_RUNTIME_DIR, a folder of ours in the system
// temporary folder, and one in the user's cache folder. The later ones serve where an earlier one
// does not let programs start, as on systems that mount temporary folders noexec.
QStringList ConverterFolderCandidates();

// A converter file name for one run in a converter folder, unlike any other run's.
QString NewConverterFilePath(const QString& folder);

// Whether a name in a converter folder is one a run gives its converter file.
bool IsConverterFileName(const QString& name);
