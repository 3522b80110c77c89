#pragma once

#include "permissionchecks.h"
#include "qtprinters.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <dirent.h>
#include <linux/capability.h>
#include <ostream>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

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
        return QFile::link(target, path(relative));
    }

private:
    QTemporaryDir dir_;
};
