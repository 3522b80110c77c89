#include "fileownership.h"

#include <QDir>
#include <QFileInfo>
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

// Rights that let a holder change what the file runs or what the folder holds.
constexpr ACCESS_MASK kChangingRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_DELETE_CHILD |
                                        WRITE_DAC | WRITE_OWNER | DELETE | GENERIC_WRITE |
                                        GENERIC_ALL;

enum class Owner {
    Us,
    UsOrSystem, // an installer running as administrator leaves files the administrators own
};

// Owned as asked, and no one outside the trusted few is allowed to change it.
bool ownedAndClosed(const QString& path, Owner allowed = Owner::Us)
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
    const bool ownerFits =
        owner && (allowed == Owner::Us ? trusted().isUs(owner) : trusted().contains(owner));
    if (!ownerFits || !dacl)
        return false; // no access list at all lets everyone in
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        ACE_HEADER* header = nullptr;
        if (!::GetAce(dacl, i, reinterpret_cast<void**>(&header)))
            return false;
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE || (header->AceFlags & INHERIT_ONLY_ACE))
            continue;
        const auto* ace = reinterpret_cast<ACCESS_ALLOWED_ACE*>(header);
        const PSID who = const_cast<DWORD*>(&ace->SidStart);
        if ((ace->Mask & kChangingRights) && !trusted().contains(who))
            return false;
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

bool EntryExists(const QString& path)
{
    return attributesOf(path) != INVALID_FILE_ATTRIBUTES;
}

bool IsPrivateFolder(const QString& path)
{
    const DWORD attributes = attributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(attributes & FILE_ATTRIBUTE_REPARSE_POINT) && ownedAndClosed(path);
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

bool IsProtectedProgramFile(const QString& path)
{
    const DWORD attributes = attributesOf(path);
    const QString folder = QFileInfo(path).absolutePath();
    const DWORD folderAttributes = attributesOf(folder);
    return attributes != INVALID_FILE_ATTRIBUTES &&
           !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) &&
           ownedAndClosed(path, Owner::UsOrSystem) && folderAttributes != INVALID_FILE_ATTRIBUTES &&
           (folderAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
           !(folderAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
           ownedAndClosed(folder, Owner::UsOrSystem);
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
