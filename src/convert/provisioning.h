#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// The converter build carried inside the program. Throws AppError when it is missing.
QByteArray LoadConverterBuild();

// Writes data to path unless something is already there. The bytes go to a temporary name
// first and are renamed into place complete, executable by the owner only, so a half-written
// converter is never run. Throws AppError when the file cannot be written.
void WriteBytesIfMissing(const QByteArray& data, const QString& path);

// Puts the converter file in place for a run: its folder must be one no other user can write;
// a file there that is not ours, or that others can change, is replaced; a missing one is
// written from data. Throws AppError when the converter cannot be put in place.
void ProvisionConverter(const QByteArray& data, const QString& path);

// Why the converter file must not be run, or nothing when it may (a missing file simply fails
// to start).
std::optional<QString> ConverterFileProblem(const QString& path);
