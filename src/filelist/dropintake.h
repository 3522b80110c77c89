#pragma once

#include "addfolder.h"

#include <QStringList>

class Dialogs;

// What one path dropped onto the list adds to it.

enum class DroppedKind {
    // Gone since the drag began, or unreadable: it adds nothing.
    Missing,
    // Anything that is not a folder: listed as given.
    File,
    Folder,
};

DroppedKind KindOfDroppedPath(const QString& path);

// The list paths that one dropped path yields, in order: a file exactly as given, whatever its
// extension; for a folder, every file of its tree (pattern "*.*") folder by folder in walk order,
// without names beginning with "~" or hidden + archive files, separators collapsed. Folders that
// cannot be listed are skipped. The walk calls pacer between its steps and reports its own
// unexpected failures through dialogs.
QStringList PathsFromDroppedPath(const QString& path, Dialogs& dialogs,
                                 const WalkPacer& pacer = {});
