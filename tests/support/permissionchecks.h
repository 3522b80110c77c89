#pragma once

#include <QFile>
#include <QString>
#include <dirent.h>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

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
