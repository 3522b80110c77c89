#include "dropintake.h"

#include "addfolder.h"
#include "fileattributes.h"
#include "paths.h"

DroppedKind KindOfDroppedPath(const QString& path)
{
    const std::optional<std::uint32_t> attributes = FileAttributes(path);
    if (!attributes)
        return DroppedKind::Missing;
    return (*attributes & FileAttribute::kDirectory) ? DroppedKind::Folder : DroppedKind::File;
}

QStringList PathsFromDroppedPath(const QString& path, Dialogs& dialogs, const WalkPacer& pacer)
{
    switch (KindOfDroppedPath(path)) {
    case DroppedKind::Missing:
        return {};
    case DroppedKind::File:
        return {path};
    case DroppedKind::Folder:
        break;
    }
    // A root keeps its own separator and gets a second one; the collapse of each file path
    // removes it again.
    QStringList folders{path + kNativePaths.separator};
    GetSubDirectories2016(folders, true, dialogs, pacer);
    return FilesInFolders(folders, QStringLiteral("*.*"));
}
