#include "fileownership.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool statEntry(const QString& path, struct stat& info)
{
    return !path.isEmpty() && ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

bool ownedAndClosed(const struct stat& info)
{
    return info.st_uid == ::geteuid() && (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

bool ownedBySystemOrUs(const struct stat& info)
{
    return info.st_uid == 0 || info.st_uid == ::geteuid();
}

bool closed(const struct stat& info)
{
    return (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// Others may add names to a sticky folder of root's, but not move or remove ours.
bool closedOrStickyOfRoot(const struct stat& info)
{
    return closed(info) || ((info.st_mode & S_ISVTX) && info.st_uid == 0);
}

// Why the open file must not run, or "".
QString fileProblem(const struct stat& info, bool systemMayOwn)
{
    if (!S_ISREG(info.st_mode))
        return QStringLiteral("it is not a plain file");
    if (systemMayOwn ? !ownedBySystemOrUs(info) : info.st_uid != ::geteuid())
        return QStringLiteral("it belongs to another user");
    if (!closed(info))
        return QStringLiteral("other users can change it");
    return {};
}

// Why the folders of a file at a path free of links let someone else put another file there,
// or "".
QString foldersProblem(const QByteArray& file)
{
    QByteArray folder = file;
    bool own = true; // the file's own folder; for the rest, root's sticky folders pass
    while (folder.size() > 1) {
        folder.truncate(qMax(1, folder.lastIndexOf('/')));
        struct stat info;
        const QString shown = QFile::decodeName(folder);
        if (::lstat(folder.constData(), &info) != 0 || !S_ISDIR(info.st_mode))
            return QStringLiteral("%1 on its path is not a folder").arg(shown);
        if (!ownedBySystemOrUs(info))
            return QStringLiteral("the folder %1 on its path belongs to another user").arg(shown);
        if (own ? !closed(info) : !closedOrStickyOfRoot(info))
            return QStringLiteral("other users can change the folder %1 on its path").arg(shown);
        own = false;
    }
    return {};
}

// Opens path to be read and examined; -1 with the reason in problem when it cannot be.
int openToExamine(const QString& path, int flags, struct stat& opened, QString& problem)
{
    // Close-on-exec: the path through /proc is opened by the start itself, before the close.
    // Non-blocking: a named pipe put in its place must not hold the window until it is refused.
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | flags);
    if (fd < 0) {
        problem = QString::fromLocal8Bit(std::strerror(errno));
        return -1;
    }
    if (::fstat(fd, &opened) != 0) {
        problem = QStringLiteral("it cannot be examined");
        ::close(fd);
        return -1;
    }
    return fd;
}

QString fdPath(int fd)
{
    return QStringLiteral("/proc/self/fd/%1").arg(fd);
}

// Whether the open file can be started through /proc (not mounted everywhere).
bool startableThroughProc(int fd, const struct stat& opened)
{
    struct stat info;
    return ::stat(QFile::encodeName(fdPath(fd)).constData(), &info) == 0 &&
           info.st_dev == opened.st_dev && info.st_ino == opened.st_ino;
}

bool sameBytes(int fd, const QByteArray& data)
{
    char buffer[65536];
    qint64 offset = 0;
    for (;;) {
        const ssize_t got = ::pread(fd, buffer, sizeof buffer, offset);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            return offset == data.size();
        if (offset + got > data.size() || std::memcmp(buffer, data.constData() + offset, got) != 0)
            return false;
        offset += got;
    }
}

} // namespace

bool EntryExists(const QString& path)
{
    struct stat info;
    return statEntry(path, info);
}

bool IsPrivateFolder(const QString& path)
{
    struct stat info;
    return statEntry(path, info) && S_ISDIR(info.st_mode) && ownedAndClosed(info);
}

bool MakePrivateFolder(const QString& path)
{
    if (!EntryExists(path)) {
        QDir().mkpath(QFileInfo(path).path());
        ::mkdir(QFile::encodeName(path).constData(), S_IRWXU);
    }
    return IsPrivateFolder(path);
}

bool IsOwnFile(const QString& path)
{
    struct stat info;
    return statEntry(path, info) && S_ISREG(info.st_mode) && ownedAndClosed(info);
}

HeldProgramFile::HeldProgramFile(const QString& path, qintptr handle)
    : path_(path), startPath_(path), handle_(handle)
{
}

HeldProgramFile::~HeldProgramFile()
{
    ::close(static_cast<int>(handle_));
}

HeldProgramFile::Opened HeldProgramFile::openInstalled(const QString& path)
{
    struct stat opened;
    QString problem;
    const int fd = openToExamine(path, 0, opened, problem);
    if (fd < 0)
        return {nullptr, problem};
    std::unique_ptr<HeldProgramFile> held(new HeldProgramFile(path, fd));
    problem = fileProblem(opened, true);
    if (!problem.isEmpty())
        return {nullptr, problem};
    // The folders are checked along the path free of links, which must still lead to the file
    // that was opened.
    char resolved[PATH_MAX];
    struct stat there;
    if (!::realpath(QFile::encodeName(path).constData(), resolved) ||
        ::lstat(resolved, &there) != 0 || there.st_dev != opened.st_dev ||
        there.st_ino != opened.st_ino)
        return {nullptr, QStringLiteral("it was moved while being checked")};
    problem = foldersProblem(QByteArray(resolved));
    if (!problem.isEmpty())
        return {nullptr, problem};
    if (startableThroughProc(fd, opened))
        held->startPath_ = fdPath(fd);
    return {std::move(held), {}};
}

HeldProgramFile::Opened HeldProgramFile::openWritten(const QString& path, const QByteArray& data)
{
    struct stat opened;
    QString problem;
    // A link in our folder is none of ours.
    const int fd = openToExamine(path, O_NOFOLLOW, opened, problem);
    if (fd < 0)
        return {nullptr, problem};
    std::unique_ptr<HeldProgramFile> held(new HeldProgramFile(path, fd));
    problem = fileProblem(opened, false);
    if (!problem.isEmpty())
        return {nullptr, problem};
    if (!sameBytes(fd, data))
        return {nullptr, QStringLiteral("it is not the file that was written")};
    if (startableThroughProc(fd, opened))
        held->startPath_ = fdPath(fd);
    return {std::move(held), {}};
}

bool IsClosedHeldProgram(const QString& path)
{
    if (!path.startsWith(QStringLiteral("/proc/self/fd/")))
        return false;
    struct stat info;
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 &&
           fileProblem(info, true).isEmpty();
}

QString UserFolderName()
{
    return QStringLiteral("corvenda-") + QString::number(::geteuid());
}

QString UserTempFolderName()
{
    // An empty answer means the system temporary folder does not exist (TMPDIR names no folder).
    const QString temp = QDir::tempPath();
    return temp.isEmpty() ? QString() : temp + QLatin1Char('/') + UserFolderName();
}
