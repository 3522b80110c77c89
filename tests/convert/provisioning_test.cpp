#include "apperror.h"
#include "converterlocation.h"
#include "provisioning.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& data, mode_t mode)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(data);
    file.close();
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0);
}

mode_t modeOf(const QString& path)
{
    struct stat info;
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}

class ScopedEnv
{
public:
    ScopedEnv(const char* name, const QByteArray& value)
        : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name))
    {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~ScopedEnv()
    {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }

private:
    const char* name_;
    bool had_;
    QByteArray old_;
};

} // namespace

TEST(LoadConverterBuild, CarriesTheConverterByteForByte)
{
    const QByteArray carried = LoadConverterBuild();
    EXPECT_FALSE(carried.isEmpty());
    EXPECT_EQ(carried, readAll(QStringLiteral(REAL_NCONVERT)));
}

TEST(WriteBytesIfMissing, WritesCompleteOwnerOnlyExecutable)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("nconvert");
    WriteBytesIfMissing("converter bytes", path);
    EXPECT_EQ(readAll(path), "converter bytes");
    EXPECT_EQ(modeOf(path), 0700u);
    // Nothing but the file itself is left behind.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{"nconvert"});

    WriteBytesIfMissing("other bytes", path);
    EXPECT_EQ(readAll(path), "converter bytes");
}

TEST(WriteBytesIfMissing, UnwritableFolderIsReported)
{
    QTemporaryDir dir;
    EXPECT_THROW(WriteBytesIfMissing("x", dir.filePath("missing/nconvert")), AppError);
}

TEST(ProvisionConverter, KeepsOurOwnFileAndWritesAMissingOne)
{
    QTemporaryDir dir;
    const QString path = ConverterFilePath(dir.path());
    EXPECT_EQ(path, dir.path() + "/nconvert");
    ProvisionConverter("new", path);
    EXPECT_EQ(readAll(path), "new");

    writeFile(path, "left by an earlier run", 0700);
    ProvisionConverter("new", path);
    EXPECT_EQ(readAll(path), "left by an earlier run");
    EXPECT_FALSE(ConverterFileProblem(path));
}

TEST(ProvisionConverter, ReplacesAFileOthersCanChange)
{
    QTemporaryDir dir;
    const QString path = ConverterFilePath(dir.path());
    for (const mode_t mode : {0775u, 0757u}) {
        writeFile(path, "planted", mode);
        EXPECT_TRUE(ConverterFileProblem(path));
        ProvisionConverter("ours", path);
        EXPECT_EQ(readAll(path), "ours");
        EXPECT_EQ(modeOf(path), 0700u);
        EXPECT_FALSE(ConverterFileProblem(path));
        QFile::remove(path);
    }
}

TEST(ProvisionConverter, ReplacesALinkInsteadOfFollowingIt)
{
    QTemporaryDir dir;
    const QString target = dir.filePath("elsewhere");
    writeFile(target, "someone's program", 0700);
    const QString path = ConverterFilePath(dir.path());
    ASSERT_TRUE(QFile::link(target, path));
    EXPECT_TRUE(ConverterFileProblem(path));
    ProvisionConverter("ours", path);
    EXPECT_EQ(readAll(path), "ours");
    EXPECT_EQ(readAll(target), "someone's program");
}

TEST(ProvisionConverter, ReplacesAFileOfAnotherUser)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to give a file to another user";
    QTemporaryDir dir;
    const QString path = ConverterFilePath(dir.path());
    writeFile(path, "planted", 0700);
    ASSERT_EQ(::chown(QFile::encodeName(path).constData(), 65534, 65534), 0);
    EXPECT_TRUE(ConverterFileProblem(path));
    ProvisionConverter("ours", path);
    EXPECT_EQ(readAll(path), "ours");
    EXPECT_FALSE(ConverterFileProblem(path));
}

TEST(ProvisionConverter, RefusesAFolderOthersCanWrite)
{
    QTemporaryDir dir;
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0777), 0);
    const QString path = ConverterFilePath(dir.path());
    EXPECT_THROW(ProvisionConverter("ours", path), AppError);
    EXPECT_FALSE(QFile::exists(path));
}

TEST(ProvisionConverter, NothingToWriteIsReported)
{
    QTemporaryDir dir;
    EXPECT_THROW(ProvisionConverter(QByteArray(), ConverterFilePath(dir.path())), AppError);
}

TEST(DefaultConverterFolder, UsesAPrivateRuntimeFolder)
{
    QTemporaryDir runtime;
    ScopedEnv env("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    EXPECT_EQ(DefaultConverterFolder(), runtime.path());
}

TEST(DefaultConverterFolder, WithoutARuntimeFolderMakesOneOfOurOwnInTemp)
{
    QTemporaryDir shared;
    ASSERT_EQ(::chmod(QFile::encodeName(shared.path()).constData(), 01777), 0);
    ScopedEnv runtime("XDG_RUNTIME_DIR", QByteArray());
    ScopedEnv temp("TMPDIR", QFile::encodeName(shared.path()));
    const QString folder = DefaultConverterFolder();
    EXPECT_TRUE(folder.startsWith(shared.path() + "/"));
    EXPECT_EQ(modeOf(folder), 0700u);
    EXPECT_EQ(DefaultConverterFolder(), folder);
    EXPECT_NE(QFileInfo(ConverterFilePath(folder)).absolutePath(), "/");
}

TEST(DefaultConverterFolder, AForeignFolderUnderOurNameIsPassedOver)
{
    QTemporaryDir shared;
    ScopedEnv runtime("XDG_RUNTIME_DIR", QFile::encodeName(shared.path() + "/not-there"));
    ScopedEnv temp("TMPDIR", QFile::encodeName(shared.path()));
    const QString usual = shared.path() + QStringLiteral("/corvenda-%1").arg(::geteuid());
    ASSERT_TRUE(QDir().mkdir(usual));
    ASSERT_EQ(::chmod(QFile::encodeName(usual).constData(), 0777), 0);
    const QString folder = DefaultConverterFolder();
    EXPECT_NE(folder, usual);
    EXPECT_TRUE(folder.startsWith(usual + "-"));
    EXPECT_EQ(modeOf(folder), 0700u);
}
