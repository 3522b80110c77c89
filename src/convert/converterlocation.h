#pragma once

#include <QString>

// The per-user folder the converter file is written to for the length of a run: "TEMP" when it
// is set on Windows; elsewhere $XDG_RUNTIME_DIR when it is private to us, else a folder of ours
// in the system temporary folder that only we can write.
QString DefaultConverterFolder();

// The converter file in a converter folder.
QString ConverterFilePath(const QString& folder);
