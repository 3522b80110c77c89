// The converter file on Windows: in TEMP, ours, and changeable by no one else.
#include "converterlocation.h"
#include "fileownership.h"
#include "permissionchecks.h"
#include "provisioning.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

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

} // namespace
