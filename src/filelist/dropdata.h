#pragma once

#include <QStringList>
#include <Qt>
#include <optional>

class QMimeData;

// What a drag offers the list: only local file paths count (the desktop's list of dropped files).

// Whether the data offers at least one local file path.
bool OffersLocalFiles(const QMimeData* data);

// The local file paths of the data with native separators, in the order the source gave them;
// other addresses are left out.
QStringList DroppedPaths(const QMimeData* data);

// The action reported back to the drag source: copy when offered, else link. Never move: a source
// told that its files were moved may delete them, and the list only reads the paths.
std::optional<Qt::DropAction> DropActionFor(Qt::DropActions possible);
