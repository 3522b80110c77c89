#pragma once

#include <QFile>
#include <QString>
#include <gtest/gtest.h>

#ifdef _WIN32
#include <QDir>
#include <windows.h>
// The security header builds on windows.h.
#include <aclapi.h>

// Access lists apply to administrators too; nothing to drop.
class PermissionChecks
{
public:
    PermissionChecks() {}
    ~PermissionChecks() {}
};

inline bool CanList(const QString& folder)
{
    WIN32_FIND_DATAW data;
    const std::wstring pattern = QDir::toNativeSeparators(folder + "/*").toStdWString();
    const HANDLE find = ::FindFirstFileW(pattern.c_str(), &data);
    if (find != INVALID_HANDLE_VALUE)
        ::FindClose(find);
    return find != INVALID_HANDLE_VALUE;
}

// Denies everyone the listing of a folder for the lifetime of the object.
class LockedFolder
{
public:
    explicit LockedFolder(QString folder)
        : path_(QDir::toNativeSeparators(std::move(folder)).toStdWString())
    {
        PACL old = nullptr;
        if (::GetNamedSecurityInfoW(path_.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                    nullptr, nullptr, &old, nullptr, &saved_) != ERROR_SUCCESS)
            return;
        EXPLICIT_ACCESSW deny{};
        ::BuildExplicitAccessWithNameW(&deny, const_cast<wchar_t*>(L"EVERYONE"),
                                       FILE_LIST_DIRECTORY | FILE_TRAVERSE, DENY_ACCESS,
                                       NO_INHERITANCE);
        PACL locked = nullptr;
        if (::SetEntriesInAclW(1, &deny, old, &locked) == ERROR_SUCCESS) {
            ::SetNamedSecurityInfoW(path_.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                    nullptr, nullptr, locked, nullptr);
            ::LocalFree(locked);
        }
        savedAcl_ = old;
    }
    ~LockedFolder()
    {
        if (saved_) {
            ::SetNamedSecurityInfoW(path_.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                    nullptr, nullptr, savedAcl_, nullptr);
            ::LocalFree(saved_);
        }
    }
    LockedFolder(const LockedFolder&) = delete;
    LockedFolder& operator=(const LockedFolder&) = delete;

private:
    std::wstring path_;
    PSECURITY_DESCRIPTOR saved_ = nullptr;
    PACL savedAcl_ = nullptr;
};

// Lets everyone change the file or folder; false when the access list cannot be set.
inline bool OpenToEveryone(const QString& path)
{
    std::wstring name = QDir::toNativeSeparators(path).toStdWString();
    PACL old = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetNamedSecurityInfoW(name.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                nullptr, &old, nullptr, &descriptor) != ERROR_SUCCESS)
        return false;
    EXPLICIT_ACCESSW grant{};
    ::BuildExplicitAccessWithNameW(&grant, const_cast<wchar_t*>(L"EVERYONE"), FILE_GENERIC_WRITE,
                                   GRANT_ACCESS, NO_INHERITANCE);
    PACL open = nullptr;
    bool done = ::SetEntriesInAclW(1, &grant, old, &open) == ERROR_SUCCESS;
    done = done && ::SetNamedSecurityInfoW(name.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                           nullptr, nullptr, open, nullptr) == ERROR_SUCCESS;
    ::LocalFree(open);
    ::LocalFree(descriptor);
    return done;
}

// Wine keeps access lists but does not enforce them: there the test cannot mean anything.
#define REQUIRE_UNLISTABLE(folder)                                                                 \
    if (CanList(folder))                                                                           \
    GTEST_SKIP() << "access lists are not enforced here (Wine), so a folder cannot be locked"

#else
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

#define REQUIRE_UNLISTABLE(folder)                                                                 \
    ASSERT_FALSE(CanList(folder)) << "cannot take access away in this environment"

#endif
