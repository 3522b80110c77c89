#pragma once

#include <QString>
#include <QStringList>

class Dialogs;

// Folder intake: the breadth-first walk of a folder tree and the listing of one folder.

// Extends folders (each ending in a separator) with every accepted sub-folder, level by level.
// Reports its own unexpected failures through dialogs; folders that cannot be listed are dropped
// silently.
void GetSubDirectories2016(QStringList& folders, bool recurse, Dialogs& dialogs);

// Names (without folder) of the files in folder matching pattern ("*.ani", "*.*"), case-insensitive,
// hidden and system files included, in listing order. Only names that open as files.
QStringList ListFolderFiles(const QString& folder, const QString& pattern);

// Whether path opens as an existing file (folders and missing paths give false). Never throws.
bool IsExistingFile(const QString& path);

// Whether a folder name holds characters that keep the walk out of it.
bool HasUnsafeCharacters(const QString& name);

// The folder-browse dialog with start preselected: the folder without trailing separator (except a
// root), or "" on cancel.
QString BrowseForFolder(Dialogs& dialogs, const QString& prompt, const QString& start);

// The full paths of the files of each walked folder: names beginning with "~" and files whose
// attribute value is exactly hidden + archive are skipped; paths are collapsed.
QStringList FilesInFolders(const QStringList& folders, const QString& pattern);
