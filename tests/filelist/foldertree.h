#pragma once

#include "permissionchecks.h"
#include "qtprinters.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <ostream>
#ifdef _WIN32
#include <windows.h>
#endif

// A real folder tree in a temporary directory, addressed by relative paths with "/".
class FolderTree
{
public:
    QString root() const { return QDir::toNativeSeparators(dir_.path()); }
    QString path(const QString& relative) const
    {
        return relative.isEmpty() ? root() : QDir::toNativeSeparators(dir_.filePath(relative));
    }
    bool isValid() const { return dir_.isValid(); }

    void folder(const QString& relative) const { QDir().mkpath(path(relative)); }
    void file(const QString& relative) const
    {
        QDir().mkpath(QFileInfo(path(relative)).path());
        QFile f(path(relative));
        if (f.open(QIODevice::WriteOnly))
            f.write("x");
    }
    // A symbolic link at relative pointing to target (absolute or relative text).
    bool link(const QString& relative, const QString& target) const
    {
#ifdef _WIN32
        // QFile::link makes a shell shortcut here; the walk has to meet real links.
        const QString absolute = QDir(QFileInfo(path(relative)).path()).filePath(target);
        const DWORD kind = QFileInfo(absolute).isDir() ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0;
        return ::CreateSymbolicLinkW(path(relative).toStdWString().c_str(),
                                     QDir::toNativeSeparators(target).toStdWString().c_str(),
                                     kind | SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
#else
        return QFile::link(target, path(relative));
#endif
    }

private:
    QTemporaryDir dir_;
};

// Wine reports success making a symbolic link but leaves nothing there, so tests of links mean
// nothing on it. The probe link is removed again: it must not show up in what the tests list.
#ifdef _WIN32
inline bool MakesReparsePoints(const FolderTree& tree)
{
    const QString probe = tree.path(QStringLiteral("probe-link"));
    if (!tree.link(QStringLiteral("probe-link"), tree.root()))
        return false;
    const DWORD attributes = ::GetFileAttributesW(probe.toStdWString().c_str());
    ::RemoveDirectoryW(probe.toStdWString().c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}
#define SKIP_WITHOUT_REPARSE_POINTS(tree)                                                          \
    if (!MakesReparsePoints(tree))                                                                 \
    GTEST_SKIP() << "symbolic links made here are not there afterwards (Wine)"
#else
#define SKIP_WITHOUT_REPARSE_POINTS(tree) (void)0
#endif
