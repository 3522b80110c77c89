#include "folderreader.h"

#ifdef _WIN32

#include "apperror.h"
#include "paths.h"

#include <QDir>
#include <string>
#include <string_view>
#include <windows.h>

namespace {

std::wstring longPath(const QString& path)
{
    // The long-path prefix lifts the old 260-character limit.
    QString native = QDir::toNativeSeparators(QDir::cleanPath(path));
    if (native.startsWith(QLatin1String("\\\\")))
        native = QStringLiteral("\\\\?\\UNC\\") + native.mid(2);
    else
        native = QStringLiteral("\\\\?\\") + native;
    return native.toStdWString();
}

AppError listingError(DWORD error, const QString& folder)
{
    switch (error) {
    case ERROR_ACCESS_DENIED:
        return AppError::permissionDenied(ShownPath(folder));
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_DIRECTORY:
        return AppError::pathNotFound(ShownPath(folder));
    default:
        return AppError(75, QStringLiteral("Cannot read the folder %1 (error %2)")
                                .arg(ShownPath(folder))
                                .arg(error));
    }
}

std::optional<EntryFacts> factsOf(const std::wstring& path)
{
    HANDLE h =
        ::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool ok = ::GetFileInformationByHandle(h, &info);
    ::CloseHandle(h);
    if (!ok)
        return std::nullopt;
    EntryFacts facts;
    facts.isFolder = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    facts.isFile = !facts.isFolder;
    facts.attributes = info.dwFileAttributes;
    facts.identity = {info.dwVolumeSerialNumber,
                      (static_cast<quint64>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
    return facts;
}

} // namespace

struct FolderReader::Impl
{
    QString folder;
    std::wstring base;
    HANDLE find = INVALID_HANDLE_VALUE;
    WIN32_FIND_DATAW data{};
    bool first = true;
};

FolderReader::FolderReader(const QString& folder) : impl_(std::make_unique<Impl>())
{
    impl_->folder = folder;
    impl_->base = longPath(folder) + L"\\";
    impl_->find = ::FindFirstFileExW((impl_->base + L"*").c_str(), FindExInfoBasic, &impl_->data,
                                     FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (impl_->find == INVALID_HANDLE_VALUE)
        throw listingError(::GetLastError(), folder);
}

FolderReader::~FolderReader()
{
    if (impl_->find != INVALID_HANDLE_VALUE)
        ::FindClose(impl_->find);
}

bool FolderReader::next()
{
    for (;;) {
        if (!impl_->first && !::FindNextFileW(impl_->find, &impl_->data)) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_NO_MORE_FILES)
                return false;
            throw listingError(error, impl_->folder);
        }
        impl_->first = false;
        const std::wstring_view n = impl_->data.cFileName;
        if (n != L"." && n != L"..")
            return true;
    }
}

QString FolderReader::name() const
{
    return QString::fromWCharArray(impl_->data.cFileName);
}

// Windows names are UTF-16 and always come through.
bool FolderReader::nameIsRepresentable() const
{
    return true;
}

void FolderReader::noteLeftOut() const {}

bool FolderReader::knownNotFolder() const
{
    return (impl_->data.dwFileAttributes &
            (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0;
}

std::optional<EntryFacts> FolderReader::facts() const
{
    std::optional<EntryFacts> facts = factsOf(impl_->base + impl_->data.cFileName);
    // The entry's own attributes, reparse point included, as the attribute query gives them.
    if (facts)
        facts->attributes = impl_->data.dwFileAttributes;
    return facts;
}

std::optional<EntryFacts> FactsOf(const QString& path)
{
    if (path.isEmpty())
        return std::nullopt;
    const std::wstring wide = longPath(path);
    std::optional<EntryFacts> facts = factsOf(wide);
    if (facts)
        facts->attributes = ::GetFileAttributesW(wide.c_str());
    return facts;
}

bool FitsPathLimit(const QString& path)
{
    // The longest path the wide calls accept with the long-path prefix.
    return path.size() < 32767 - 8;
}

bool FitsNameLimit(const QString& name)
{
    return name.size() <= 255;
}

#endif
