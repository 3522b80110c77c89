#pragma once

#include <QDir>
#include <QFile>
#include <QString>
#ifndef _WIN32
#include <sys/mount.h>
#endif

// A folder on a fresh file system mounted noexec, as hardened systems mount their temporary
// folders (read-only too when asked). Needs the right to mount (root); mounted() says whether it
// worked.
class NoExecMount
{
public:
    explicit NoExecMount(QString folder, bool readOnly = false) : folder_(std::move(folder))
    {
        QDir().mkpath(folder_);
#ifndef _WIN32 // Windows has no such mount
        mounted_ = ::mount("tmpfs", QFile::encodeName(folder_).constData(), "tmpfs",
                           MS_NOEXEC | MS_NOSUID | MS_NODEV | (readOnly ? MS_RDONLY : 0),
                           "size=64m,mode=0700") == 0;
#endif
    }
    ~NoExecMount()
    {
#ifndef _WIN32
        if (mounted_)
            ::umount2(QFile::encodeName(folder_).constData(), MNT_DETACH);
#endif
    }
    NoExecMount(const NoExecMount&) = delete;
    NoExecMount& operator=(const NoExecMount&) = delete;

    bool mounted() const
    {
        return mounted_;
    }
    const QString& path() const
    {
        return folder_;
    }

private:
    QString folder_;
    bool mounted_ = false;
};
