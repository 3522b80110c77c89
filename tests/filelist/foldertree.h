#pragma once

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

// While alive, the calling thread is held to file permissions even when it runs as root: the
// capabilities that override them are dropped from the effective set (and restored afterwards).
class PermissionChecks
{
public:
    PermissionChecks()
    {
        header_.version = _LINUX_CAPABILITY_VERSION_3;
        header_.pid = 0;
        if (::syscall(SYS_capget, &header_, saved_) != 0)
            return;
        __user_cap_data_struct reduced[2] = {saved_[0], saved_[1]};
        reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        active_ = ::syscall(SYS_capset, &header_, reduced) == 0;
    }
    ~PermissionChecks()
    {
        if (active_)
            ::syscall(SYS_capset, &header_, saved_);
    }
    PermissionChecks(const PermissionChecks&) = delete;
    PermissionChecks& operator=(const PermissionChecks&) = delete;

private:
    __user_cap_header_struct header_{};
    __user_cap_data_struct saved_[2]{};
    bool active_ = false;
};

// Whether the folder can be listed by this thread now.
inline bool CanList(const QString& folder)
{
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    if (dir)
        ::closedir(dir);
    return dir != nullptr;
}

// Takes every permission away from a folder for the lifetime of the object.
class LockedFolder
{
public:
    explicit LockedFolder(QString folder) : folder_(std::move(folder))
    {
        ::chmod(QFile::encodeName(folder_).constData(), 0);
    }
    ~LockedFolder() { ::chmod(QFile::encodeName(folder_).constData(), 0755); }

private:
    QString folder_;
};
