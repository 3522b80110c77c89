// The converter file on Windows: in TEMP, ours, and changeable by no one else.
#include "apperror.h"
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

// A folder of our own inside TEMP (a fresh temporary folder inherits TEMP's access list).
class WindowsProvisioning : public ::testing::Test
{
protected:
    QString converter() const { return ConverterFilePath(QDir::toNativeSeparators(dir.path())); }
    QTemporaryDir dir;
};

TEST_F(WindowsProvisioning, TempIsTheFolderAndNconvertExeTheFile)
{
    const QString temp = qEnvironmentVariable("TEMP");
    ASSERT_FALSE(temp.isEmpty());
    EXPECT_EQ(DefaultConverterFolder(), QDir::toNativeSeparators(temp));
    EXPECT_TRUE(IsPrivateFolder(DefaultConverterFolder()));
    EXPECT_EQ(converter(), QDir::toNativeSeparators(dir.path()) + "\\nconvert.exe");
}

TEST_F(WindowsProvisioning, OurFileIsKeptAFileOthersCanChangeIsReplaced)
{
    ProvisionConverter("ours", converter());
    EXPECT_EQ(readAll(converter()), "ours");
    EXPECT_TRUE(IsOwnFile(converter()));
    EXPECT_FALSE(ConverterFileProblem(converter()));

    ASSERT_TRUE(OpenToEveryone(converter()));
    EXPECT_FALSE(IsOwnFile(converter()));
    EXPECT_TRUE(ConverterFileProblem(converter()));
    ProvisionConverter("new", converter());
    EXPECT_EQ(readAll(converter()), "new");
    EXPECT_TRUE(IsOwnFile(converter()));
}

TEST_F(WindowsProvisioning, AFolderOthersCanWriteIsRefused)
{
    ASSERT_TRUE(OpenToEveryone(dir.path()));
    EXPECT_FALSE(IsPrivateFolder(dir.path()));
    EXPECT_THROW(ProvisionConverter("ours", converter()), AppError);
    EXPECT_FALSE(QFile::exists(converter()));
}

TEST_F(WindowsProvisioning, AFolderWeMakeIsPrivate)
{
    const QString made = QDir::toNativeSeparators(dir.filePath("made"));
    EXPECT_TRUE(MakePrivateFolder(made));
    EXPECT_TRUE(IsPrivateFolder(made));
    EXPECT_FALSE(IsOwnFile(made));
    EXPECT_FALSE(IsPrivateFolder(dir.filePath("missing")));
}

} // namespace
