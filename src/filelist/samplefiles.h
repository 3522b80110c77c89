#pragma once

#include <QString>
#include <QStringList>

// The sample files installed beside the program, and the one question asked after loading them.

inline const QString kOpenSampleFolderQuestion = QStringLiteral(
    "Would you like this software to open the folder where these sample files are stored (so that "
    "you can view them before working with them)?");

// The folder "Samples" in the program folder.
QString SampleFolderPath(const QString& programFolder);

// Whether at least one text equals text exactly: the whole text, case-sensitive.
bool IsInList(const QStringList& texts, const QString& text);

// The names of the files in the sample folder in listing order; none when the folder is missing.
// Throws AppError when a folder that is there cannot be listed.
QStringList SampleFileNames(const QString& sampleFolder);

// The sample paths to append after listed, in the order of names: each one that exists and is not
// in the list yet.
QStringList SamplePathsToAdd(const QString& sampleFolder, const QStringList& names,
                             const QStringList& listed);

// What to tell the user when the desktop could not open the sample folder, and why.
QString SampleFolderOpenFailure(const QString& sampleFolder);
