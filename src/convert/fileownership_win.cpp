#include "fileownership_win.h"

#include "fileownership.h"

#include <QDir>
#include <QFileInfo>
#include <cstring>
#include <memory>
#include <vector>
#include <windows.h>
// The security headers build on windows.h.
#include <aclapi.h>
#include <sddl.h>

namespace {

std::wstring wide(const QString& path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

DWORD attributesOf(const QString& path)
{
    return path.isEmpty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesW(wide(path).c_str());
}

// A token fact (the user, or the default owner of new files) as a SID of our own.
std::vector<BYTE> tokenSid(TOKEN_INFORMATION_CLASS kind)
{
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token))
        return {};
    DWORD size = 0;
    ::GetTokenInformation(token, kind, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    const bool ok = size && ::GetTokenInformation(token, kind, buffer.data(), size, &size);
    ::CloseHandle(token);
    if (!ok)
        return {};
    const PSID sid = kind == TokenUser ? reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid
                                       : reinterpret_cast<TOKEN_OWNER*>(buffer.data())->Owner;
    std::vector<BYTE> copy(::GetLengthSid(sid));
    ::CopySid(static_cast<DWORD>(copy.size()), copy.data(), sid);
    return copy;
}

std::vector<BYTE> wellKnownSid(WELL_KNOWN_SID_TYPE type)
{
    std::vector<BYTE> sid(SECURITY_MAX_SID_SIZE);
    DWORD size = SECURITY_MAX_SID_SIZE;
    if (!::CreateWellKnownSid(type, nullptr, sid.data(), &size))
        return {};
    sid.resize(size);
    return sid;
}

// The service that installs Windows' own files; it owns, or may change, much of Program Files.
std::vector<BYTE> trustedInstallerSid()
{
    PSID sid = nullptr;
    if (!::ConvertStringSidToSidW(L"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464",
                                  &sid))
        return {};
    std::vector<BYTE> copy(::GetLengthSid(sid));
    ::CopySid(static_cast<DWORD>(copy.size()), copy.data(), sid);
    ::LocalFree(sid);
    return copy;
}

// Who may hold write access to the converter: we ourselves (the user, or the owner our token
// gives new files, such as Administrators when elevated), the system and the administrators.
struct Trusted
{
    std::vector<std::vector<BYTE>> sids;
    std::vector<BYTE> user;
    std::vector<BYTE> owner;

    Trusted() : user(tokenSid(TokenUser)), owner(tokenSid(TokenOwner))
    {
        sids = {user,
                owner,
                wellKnownSid(WinLocalSystemSid),
                wellKnownSid(WinBuiltinAdministratorsSid),
                wellKnownSid(WinCreatorOwnerSid),
                wellKnownSid(WinCreatorOwnerRightsSid),
                trustedInstallerSid()};
    }

    bool isUs(PSID sid) const { return matches(sid, user) || matches(sid, owner); }

    bool contains(PSID sid) const
    {
        for (const std::vector<BYTE>& known : sids) {
            if (matches(sid, known))
                return true;
        }
        return false;
    }

private:
    static bool matches(PSID sid, const std::vector<BYTE>& known)
    {
        return !known.empty() && ::EqualSid(sid, const_cast<BYTE*>(known.data()));
    }
};

const Trusted& trusted()
{
    static const Trusted value;
    return value;
}

// Rights that let a holder change what a file runs or what a folder holds.
constexpr ACCESS_MASK kChangingRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_DELETE_CHILD |
                                        WRITE_DAC | WRITE_OWNER | DELETE | GENERIC_WRITE |
                                        GENERIC_ALL;
// In a folder above the program's own, adding names changes nothing that is there; moving or
// removing what is there, or changing who may, does.
constexpr ACCESS_MASK kMovingRights =
    FILE_DELETE_CHILD | WRITE_DAC | WRITE_OWNER | DELETE | GENERIC_ALL;

enum class Owner {
    Us,
    UsOrSystem, // an installer running as administrator leaves files the administrators own
};

// The rights an entry of an access list lets its holder have, and whom; nothing for entries that
// only take rights away or hold for what is inside. False for an entry of a kind this code does
// not know, which is taken to grant anything.
bool grantOf(const ACE_HEADER* header, ACCESS_MASK& rights, PSID& who)
{
    rights = 0;
    who = nullptr;
    if (header->AceFlags & INHERIT_ONLY_ACE)
        return true;
    switch (header->AceType) {
    case ACCESS_ALLOWED_ACE_TYPE:
    case ACCESS_ALLOWED_CALLBACK_ACE_TYPE: { // the same layout, with conditions after the SID
        const auto* ace = reinterpret_cast<const ACCESS_ALLOWED_ACE*>(header);
        rights = ace->Mask;
        who = const_cast<DWORD*>(&ace->SidStart);
        return true;
    }
    case ACCESS_ALLOWED_OBJECT_ACE_TYPE:
    case ACCESS_ALLOWED_CALLBACK_OBJECT_ACE_TYPE: { // optional GUIDs come before the SID
        const auto* ace = reinterpret_cast<const ACCESS_ALLOWED_OBJECT_ACE*>(header);
        const BYTE* sid = reinterpret_cast<const BYTE*>(&ace->ObjectType);
        if (ace->Flags & ACE_OBJECT_TYPE_PRESENT)
            sid += sizeof(GUID);
        if (ace->Flags & ACE_INHERITED_OBJECT_TYPE_PRESENT)
            sid += sizeof(GUID);
        rights = ace->Mask;
        who = const_cast<BYTE*>(sid);
        return true;
    }
    case ACCESS_DENIED_ACE_TYPE:
    case ACCESS_DENIED_CALLBACK_ACE_TYPE:
    case ACCESS_DENIED_OBJECT_ACE_TYPE:
    case ACCESS_DENIED_CALLBACK_OBJECT_ACE_TYPE:
        return true;
    default:
        return false;
    }
}

// Owned as asked, and no one outside the trusted few holds any of the rights.
bool ownedAndClosed(PSID owner, PACL dacl, Owner allowed, ACCESS_MASK rights)
{
    const bool ownerFits =
        owner && (allowed == Owner::Us ? trusted().isUs(owner) : trusted().contains(owner));
    return ownerFits && !OthersMayHold(dacl, rights);
}

bool ownedAndClosed(const QString& path, Owner allowed = Owner::Us,
                    ACCESS_MASK rights = kChangingRights)
{
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    std::wstring name = wide(path);
    if (::GetNamedSecurityInfoW(name.data(), SE_FILE_OBJECT,
                                OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
                                nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS)
        return false;
    const std::unique_ptr<void, decltype(&::LocalFree)> freeDescriptor(descriptor, ::LocalFree);
    return ownedAndClosed(owner, dacl, allowed, rights);
}

bool ownedAndClosed(HANDLE file, Owner allowed)
{
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetSecurityInfo(file, SE_FILE_OBJECT,
                          OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner, nullptr,
                          &dacl, nullptr, &descriptor) != ERROR_SUCCESS)
        return false;
    const std::unique_ptr<void, decltype(&::LocalFree)> freeDescriptor(descriptor, ::LocalFree);
    return ownedAndClosed(owner, dacl, allowed, kChangingRights);
}

bool isPlainFolder(DWORD attributes)
{
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// The path the open file is at, links and junctions resolved, in the usual form ("C:\...",
// "\\server\share\...").
QString finalPathOf(HANDLE file)
{
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            ::GetFinalPathNameByHandleW(file, buffer.data(), static_cast<DWORD>(buffer.size()),
                                        FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0)
            return {};
        if (length < buffer.size()) {
            QString path = QString::fromWCharArray(buffer.data(), static_cast<int>(length));
            if (path.startsWith(QStringLiteral("\\\\?\\UNC\\")))
                return QStringLiteral("\\\\") + path.mid(8);
            if (path.startsWith(QStringLiteral("\\\\?\\")))
                return path.mid(4);
            return path;
        }
        buffer.resize(length);
    }
}

// Why the folders of the file at path let someone else put another file there, or "".
QString foldersProblem(const QString& path)
{
    QString folder = QFileInfo(path).absolutePath();
    ACCESS_MASK rights = kChangingRights; // the program's own folder: no planted neighbours
    for (;;) {
        const QString shown = QDir::toNativeSeparators(folder);
        if (!isPlainFolder(attributesOf(folder)))
            return QStringLiteral("%1 on its path is not a plain folder").arg(shown);
        if (!ownedAndClosed(folder, Owner::UsOrSystem, rights))
            return QStringLiteral("the folder %1 on its path belongs to another user, or others "
                                  "can change it")
                .arg(shown);
        const QFileInfo info(folder);
        if (info.isRoot())
            return {};
        const QString parent = info.absolutePath();
        if (parent == folder)
            return {};
        folder = parent;
        rights = kMovingRights;
    }
}

// Holds the file open for reading only: no one can write, rename or delete it meanwhile.
HANDLE openToHold(const QString& path, QString& problem)
{
    const HANDLE file = ::CreateFileW(wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        problem = qt_error_string(static_cast<int>(::GetLastError()));
        return nullptr;
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (!::GetFileInformationByHandle(file, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))) {
        problem = QStringLiteral("it is not a plain file");
        ::CloseHandle(file);
        return nullptr;
    }
    return file;
}

bool sameBytes(HANDLE file, const QByteArray& data)
{
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(file, &size) || size.QuadPart != data.size())
        return false;
    std::vector<char> buffer(65536);
    qint64 offset = 0;
    while (offset < data.size()) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        DWORD got = 0;
        if (!::ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &got, &at) ||
            got == 0 || offset + got > data.size() ||
            std::memcmp(buffer.data(), data.constData() + offset, got) != 0)
            return false;
        offset += got;
    }
    return true;
}

// A folder that grants full access to us, the system and the administrators only.
bool createPrivateFolder(const QString& path)
{
    LPWSTR user = nullptr;
    if (trusted().user.empty() ||
        !::ConvertSidToStringSidW(const_cast<BYTE*>(trusted().user.data()), &user))
        return false;
    const std::wstring sddl = std::wstring(L"O:") + user + L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)" +
                              L"(A;OICI;FA;;;" + user + L")";
    ::LocalFree(user);
    SECURITY_ATTRIBUTES attributes{sizeof attributes, nullptr, FALSE};
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(
            sddl.c_str(), SDDL_REVISION_1, &attributes.lpSecurityDescriptor, nullptr))
        return false;
    const bool created = ::CreateDirectoryW(wide(path).c_str(), &attributes);
    ::LocalFree(attributes.lpSecurityDescriptor);
    return created;
}

} // namespace

bool OthersMayHold(const ACL* dacl, ACCESS_MASK rights)
{
    if (!dacl)
        return true; // no access list at all lets everyone in
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        ACE_HEADER* header = nullptr;
        if (!::GetAce(const_cast<ACL*>(dacl), i, reinterpret_cast<void**>(&header)))
            return true;
        ACCESS_MASK granted = 0;
        PSID who = nullptr;
        if (!grantOf(header, granted, who))
            return true;
        if ((granted & rights) && !trusted().contains(who))
            return true;
    }
    return false;
}

bool EntryExists(const QString& path)
{
    return attributesOf(path) != INVALID_FILE_ATTRIBUTES;
}

bool IsPrivateFolder(const QString& path)
{
    return isPlainFolder(attributesOf(path)) && ownedAndClosed(path);
}

bool MakePrivateFolder(const QString& path)
{
    if (!EntryExists(path)) {
        QDir().mkpath(QFileInfo(path).path());
        createPrivateFolder(path);
    }
    return IsPrivateFolder(path);
}

bool IsOwnFile(const QString& path)
{
    const DWORD attributes = attributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES &&
           !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) &&
           ownedAndClosed(path);
}

HeldProgramFile::HeldProgramFile(const QString& path, qintptr handle)
    : path_(path), startPath_(path), handle_(handle)
{
}

HeldProgramFile::~HeldProgramFile()
{
    ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

HeldProgramFile::Opened HeldProgramFile::openInstalled(const QString& path)
{
    QString problem;
    const HANDLE file = openToHold(path, problem);
    if (!file)
        return {nullptr, problem};
    std::unique_ptr<HeldProgramFile> held(
        new HeldProgramFile(QDir::toNativeSeparators(path), reinterpret_cast<qintptr>(file)));
    if (!ownedAndClosed(file, Owner::UsOrSystem))
        return {nullptr, QStringLiteral("it belongs to another user, or others can change it")};
    // The folders that lead to the file that was opened.
    const QString there = finalPathOf(file);
    if (there.isEmpty())
        return {nullptr, QStringLiteral("its folder cannot be found")};
    problem = foldersProblem(there);
    if (!problem.isEmpty())
        return {nullptr, problem};
    return {std::move(held), {}};
}

HeldProgramFile::Opened HeldProgramFile::openWritten(const QString& path, const QByteArray& data)
{
    QString problem;
    const HANDLE file = openToHold(path, problem);
    if (!file)
        return {nullptr, problem};
    std::unique_ptr<HeldProgramFile> held(
        new HeldProgramFile(QDir::toNativeSeparators(path), reinterpret_cast<qintptr>(file)));
    if (!ownedAndClosed(file, Owner::Us))
        return {nullptr, QStringLiteral("it belongs to another user, or others can change it")};
    if (!sameBytes(file, data))
        return {nullptr, QStringLiteral("it is not the file that was written")};
    return {std::move(held), {}};
}

bool IsClosedHeldProgram(const QString&)
{
    return false; // a held file starts from where it is
}

QString UserFolderName()
{
    return QStringLiteral("Corvenda");
}

QString UserTempFolderName()
{
    const QString temp = QDir::tempPath();
    return temp.isEmpty() ? QString() : temp + QLatin1Char('/') + UserFolderName();
}
