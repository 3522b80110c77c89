// The converter file on Windows: in TEMP, ours, and changeable by no one else.
#include "converterlocation.h"
#include "fileownership.h"
#include "fileownership_win.h"
#include "installedconverter.h"
#include "permissionchecks.h"
#include "provisioning.h"
#include "qtprinters.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstring>
#include <gtest/gtest.h>
#include <vector>

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& data)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(data);
}

// A folder of our own inside TEMP: a fresh temporary folder inherits TEMP's access list.
class WindowsProvisioning : public ::testing::Test
{
protected:
    QString folder() const { return QDir::toNativeSeparators(dir.path()); }
    QTemporaryDir dir;
};

TEST_F(WindowsProvisioning, TempComesFirstAndRunsGetExeNamesOfTheirOwn)
{
    const QString temp = QDir::toNativeSeparators(qEnvironmentVariable("TEMP"));
    ASSERT_FALSE(temp.isEmpty());
    ASSERT_TRUE(IsPrivateFolder(temp));
    EXPECT_EQ(ConverterFolderCandidates().value(0),
              QDir::toNativeSeparators(QDir::cleanPath(temp)));

    const QString path = NewConverterFilePath(folder());
    EXPECT_TRUE(path.startsWith(folder() + "\\nconvert-")) << path.toStdString();
    EXPECT_TRUE(path.endsWith(".exe"));
    EXPECT_NE(NewConverterFilePath(folder()), path);
    EXPECT_TRUE(IsConverterFileName(QFileInfo(path).fileName()));
    EXPECT_FALSE(IsConverterFileName(QFileInfo(path).fileName() + ".lock"));
}

TEST_F(WindowsProvisioning, AFileOthersCanChangeIsNotOurs)
{
    const QString path = folder() + "\\nconvert-00c0ffee.exe";
    writeFile(path, "ours");
    EXPECT_TRUE(IsOwnFile(path));
    EXPECT_FALSE(ConverterFileProblem(path));
    ASSERT_TRUE(OpenToEveryone(path));
    EXPECT_FALSE(IsOwnFile(path));
    EXPECT_TRUE(ConverterFileProblem(path));
    EXPECT_FALSE(IsOwnFile(folder()));
}

TEST_F(WindowsProvisioning, AFolderOthersCanWriteIsPassedOverForThePrivateNext)
{
    const QString shared = folder() + "\\shared";
    const QString made = folder() + "\\made\\here";
    ASSERT_TRUE(QDir().mkdir(shared));
    ASSERT_TRUE(OpenToEveryone(shared));
    EXPECT_FALSE(IsPrivateFolder(shared));

    const ProvisionedConverter provisioned =
        ProvisionConverter(readAll(QStringLiteral(FAKE_NCONVERT)), {shared, made});
    ASSERT_TRUE(provisioned.lease);
    EXPECT_TRUE(IsPrivateFolder(made));
    EXPECT_TRUE(provisioned.lease->path().startsWith(made + "\\nconvert-"));
    EXPECT_TRUE(IsOwnFile(provisioned.lease->path()));
    ASSERT_EQ(provisioned.passedOver.size(), 1);
    EXPECT_TRUE(provisioned.passedOver[0].startsWith(shared + ": "));
    EXPECT_TRUE(QDir(shared).entryList(QDir::Files).isEmpty());
}

// The installed converter is held open while a run may start it: nothing can replace or delete
// it meanwhile. A folder above it that others can change keeps it from running in place.
TEST_F(WindowsProvisioning, AnInstalledConverterIsHeldAndEveryFolderAboveItCounts)
{
    const QString program = folder() + "\\Program";
    ASSERT_TRUE(QDir().mkpath(program + "\\Corvenda"));
    const QString installed = program + "\\Corvenda\\nconvert.exe";
    writeFile(installed, readAll(QStringLiteral(FAKE_NCONVERT)));
    writeFile(folder() + "\\other.exe", "another program");
    const auto replace = [&] {
        return ::MoveFileExW(QString(folder() + "\\other.exe").toStdWString().c_str(),
                             installed.toStdWString().c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
    };

    ASSERT_EQ(InstalledConverterProblem(installed), std::nullopt);
    {
        const std::unique_ptr<ConverterLease> lease = ConverterLease::inPlace(installed);
        EXPECT_EQ(lease->path(), installed);
        EXPECT_FALSE(replace());
        EXPECT_FALSE(::DeleteFileW(installed.toStdWString().c_str()));
        EXPECT_EQ(readAll(installed), readAll(QStringLiteral(FAKE_NCONVERT)));
    }

    ASSERT_TRUE(OpenToEveryone(program));
    EXPECT_EQ(InstalledConverterProblem(installed),
              installed + ": the folder " + program +
                  " on its path belongs to another user, or others can change it");
    EXPECT_TRUE(replace());
}

// An access list with one entry of the given type granting Everyone the rights.
std::vector<BYTE> aclGranting(BYTE type, ACCESS_MASK rights)
{
    BYTE everyone[SECURITY_MAX_SID_SIZE];
    DWORD sidSize = sizeof everyone;
    ::CreateWellKnownSid(WinWorldSid, nullptr, everyone, &sidSize);
    const bool object =
        type == ACCESS_ALLOWED_OBJECT_ACE_TYPE || type == ACCESS_ALLOWED_CALLBACK_OBJECT_ACE_TYPE;
    // Header, mask, then for object entries their flags (no GUIDs), then the SID.
    const DWORD before = sizeof(ACE_HEADER) + sizeof(ACCESS_MASK) + (object ? sizeof(DWORD) : 0);
    std::vector<BYTE> ace(before + sidSize);
    auto* header = reinterpret_cast<ACE_HEADER*>(ace.data());
    header->AceType = type;
    header->AceSize = static_cast<WORD>(ace.size());
    std::memcpy(ace.data() + sizeof(ACE_HEADER), &rights, sizeof rights);
    std::memcpy(ace.data() + before, everyone, sidSize);
    std::vector<BYTE> acl(sizeof(ACL) + ace.size() + 64);
    auto* list = reinterpret_cast<ACL*>(acl.data());
    ::InitializeAcl(list, static_cast<DWORD>(acl.size()), ACL_REVISION_DS);
    if (!::AddAce(list, ACL_REVISION_DS, MAXDWORD, ace.data(), static_cast<DWORD>(ace.size())))
        acl.clear();
    return acl;
}

TEST(AccessList, EveryKindOfEntryThatGrantsRightsIsRead)
{
    const ACCESS_MASK write = FILE_WRITE_DATA;
    for (BYTE type : {ACCESS_ALLOWED_ACE_TYPE, ACCESS_ALLOWED_CALLBACK_ACE_TYPE,
                      ACCESS_ALLOWED_OBJECT_ACE_TYPE, ACCESS_ALLOWED_CALLBACK_OBJECT_ACE_TYPE}) {
        std::vector<BYTE> acl = aclGranting(type, write);
        ASSERT_FALSE(acl.empty()) << int(type);
        EXPECT_TRUE(OthersMayHold(reinterpret_cast<ACL*>(acl.data()), write)) << int(type);
        acl = aclGranting(type, FILE_READ_DATA);
        EXPECT_FALSE(OthersMayHold(reinterpret_cast<ACL*>(acl.data()), write)) << int(type);
    }
    // Entries that only take rights away grant nothing; one of a kind unknown here might.
    std::vector<BYTE> acl = aclGranting(ACCESS_DENIED_CALLBACK_ACE_TYPE, write);
    EXPECT_FALSE(OthersMayHold(reinterpret_cast<ACL*>(acl.data()), write));
    acl = aclGranting(SYSTEM_ALARM_CALLBACK_ACE_TYPE, 0);
    EXPECT_TRUE(OthersMayHold(reinterpret_cast<ACL*>(acl.data()), write));
    EXPECT_TRUE(OthersMayHold(nullptr, write));
}

} // namespace
