#include "folderreader.h"

#ifndef _WIN32

#include "apperror.h"
#include "fileattributes.h"
#include "leftoutnames.h"
#include "paths.h"

#include <QFile>
#include <cerrno>
#include <climits>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

AppError listingError(int error, const QString& folder)
{
    switch (error) {
    case EACCES:
    case EPERM:
        return AppError::permissionDenied(ShownPath(folder));
    case ENOENT:
    case ENOTDIR:
        return AppError::pathNotFound(ShownPath(folder));
    default:
        // 75: the classic "path/file access error" for everything else.
        return AppError(75,
                        QStringLiteral("Cannot read the folder %1: %2")
                            .arg(ShownPath(folder), QString::fromLocal8Bit(std::strerror(error))));
    }
}

// The same values as FileAttributes gives, from facts already at hand.
EntryFacts factsOf(const struct stat& target, bool isLink, bool hiddenName)
{
    EntryFacts facts;
    facts.isFolder = S_ISDIR(target.st_mode);
    facts.isFile = S_ISREG(target.st_mode);
    facts.identity = {static_cast<quint64>(target.st_dev), static_cast<quint64>(target.st_ino)};
    if (facts.isFolder)
        facts.attributes |= FileAttribute::kDirectory;
    if ((target.st_mode & S_IWUSR) == 0)
        facts.attributes |= FileAttribute::kReadOnly;
    if (hiddenName)
        facts.attributes |= FileAttribute::kHidden;
    if (isLink)
        facts.attributes |= FileAttribute::kReparsePoint;
    return facts;
}

bool IsLinkAt(int dir, const char* name)
{
    struct stat link = {};
    return ::fstatat(dir, name, &link, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(link.st_mode);
}

} // namespace

struct FolderReader::Impl
{
    QString folder;
    DIR* dir = nullptr;
    dirent* entry = nullptr;
};

FolderReader::FolderReader(const QString& folder) : impl_(std::make_unique<Impl>())
{
    impl_->folder = folder;
    const QByteArray encoded = QFile::encodeName(folder);
    impl_->dir = ::opendir(encoded.constData());
    if (!impl_->dir)
        throw listingError(errno, folder);
}

FolderReader::~FolderReader()
{
    if (impl_->dir)
        ::closedir(impl_->dir);
}

bool FolderReader::next()
{
    for (;;) {
        errno = 0;
        impl_->entry = ::readdir(impl_->dir);
        if (!impl_->entry) {
            if (errno != 0)
                throw listingError(errno, impl_->folder);
            return false;
        }
        const char* n = impl_->entry->d_name;
        if (n[0] == '.' && (n[1] == '\0' || (n[1] == '.' && n[2] == '\0')))
            continue;
        return true;
    }
}

QString FolderReader::name() const
{
    return QFile::decodeName(impl_->entry->d_name);
}

bool FolderReader::knownNotFolder() const
{
#ifdef _DIRENT_HAVE_D_TYPE
    const unsigned char type = impl_->entry->d_type;
    return type != DT_DIR && type != DT_LNK && type != DT_UNKNOWN;
#else
    return false;
#endif
}

bool FolderReader::nameIsRepresentable() const
{
    return IsRepresentableName(QByteArray(impl_->entry->d_name));
}

void FolderReader::noteLeftOut() const
{
    LeftOutNames::note(impl_->folder, QByteArray(impl_->entry->d_name));
}

std::optional<EntryFacts> FolderReader::facts() const
{
    const int dir = ::dirfd(impl_->dir);
    const char* name = impl_->entry->d_name;
#ifdef _DIRENT_HAVE_D_TYPE
    const unsigned char type = impl_->entry->d_type;
    const bool isLink = type == DT_LNK || (type == DT_UNKNOWN && IsLinkAt(dir, name));
#else
    const bool isLink = IsLinkAt(dir, name);
#endif
    struct stat target = {};
    if (::fstatat(dir, name, &target, 0) != 0)
        return std::nullopt;
    return factsOf(target, isLink, name[0] == '.');
}

std::optional<EntryFacts> FactsOf(const QString& path)
{
    if (path.isEmpty())
        return std::nullopt;
    const QByteArray encoded = QFile::encodeName(path);
    struct stat target = {};
    if (::stat(encoded.constData(), &target) != 0)
        return std::nullopt;
    const bool isLink = IsLinkAt(AT_FDCWD, encoded.constData());
    QByteArray name = encoded;
    while (name.size() > 1 && name.endsWith('/'))
        name.chop(1);
    name = name.mid(name.lastIndexOf('/') + 1);
    return factsOf(target, isLink, name.startsWith('.') && name != "." && name != "..");
}

bool FitsPathLimit(const QString& path)
{
    // PATH_MAX counts the terminating NUL.
    return QFile::encodeName(path).size() < PATH_MAX;
}

bool FitsNameLimit(const QString& name)
{
    return QFile::encodeName(name).size() <= NAME_MAX;
}

#endif
