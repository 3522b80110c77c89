#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class AppError;
class Dialogs;

// Folder intake: the breadth-first walk of a folder tree and the listing of one folder.
// Paths use the native separator; names of any script are handled.

// Called between the steps of a walk, so the window can keep itself alive.
using WalkPacer = std::function<void()>;

// Extends folders (each ending in a separator) with every accepted sub-folder at any depth, level
// by level: the entries passed in stay in front, then their sub-folders, then those sub-folders'
// sub-folders, and so on; within a folder, names in case-insensitive order. Each real folder is
// entered once, so links back to an ancestor end the walk instead of looping. A folder that cannot
// be listed because access is denied or it vanished is removed (one denied is noted as left out,
// see LeftOutNames); other listing failures keep it. Calls pacer between its steps and reports its
// own unexpected failures through dialogs.
void GetSubDirectories2016(QStringList& folders, bool recurse, Dialogs& dialogs,
                           const WalkPacer& pacer = {});

// Names (without folder) of the files in folder (with or without trailing separator) that match
// pattern ("*.ani", "*.*"; case-insensitive), hidden files included, only names that open as files,
// in case-insensitive order. Throws AppError (70 denied, 76 missing, other) when the folder cannot
// be listed.
QStringList ListFolderFiles(const QString& folder, const QString& pattern);

// Whether path opens as an existing file: folders, missing paths and broken links give false.
// Never throws.
bool IsExistingFile(const QString& path);

// Whether a folder name holds control characters (codes below 32, or 127 to 159), which keep the
// walk out of it. Letters of every script and "?" are fine.
bool HasUnsafeCharacters(const QString& name);

// The folder-browse dialog with start preselected: the chosen folder without trailing separator
// (except a root), or "" on cancel.
QString BrowseForFolder(Dialogs& dialogs, const QString& prompt, const QString& start);

// The full paths of the files of one walked folder (ending in a separator) that match pattern,
// ready for the list: names beginning with "~" and files whose attribute value is exactly hidden +
// archive (34) are skipped, doubled separators collapsed. Throws AppError like ListFolderFiles.
QStringList FolderFiles(const QString& folder, const QString& pattern);

// FolderFiles of each folder in order, concatenated. A folder that cannot be listed is passed to
// onFolderError when given, and skipped.
QStringList FilesInFolders(const QStringList& folders, const QString& pattern,
                           const std::function<void(const AppError&)>& onFolderError = {});
