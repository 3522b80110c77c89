#include "apperror.h"
#include "fileattributes.h"
#include "paths.h"
#include "qtprinters.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

void touch(const QString& path)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write("x");
}

class FileSystem : public ::testing::Test
{
protected:
    QString at(const QString& name) const { return dir.filePath(name); }
    QTemporaryDir dir;
};

TEST_F(FileSystem, IsFolderHasThreeAnswers)
{
    touch(at("a.ani"));
    EXPECT_EQ(IsFolder(dir.path()), std::optional<bool>(true));
    EXPECT_EQ(IsFolder(at("a.ani")), std::optional<bool>(false));
    EXPECT_EQ(IsFolder(at("missing")), std::nullopt);
    EXPECT_EQ(IsFolder(""), std::nullopt);
}

TEST_F(FileSystem, PathExistsForFilesWithUnicodeNames)
{
    const QString name = at(QString::fromUtf8("Ελληνικά 日本 😀.ani"));
    touch(name);
    EXPECT_TRUE(PathExists(name));
    EXPECT_FALSE(PathExists(at("missing.ani")));
    EXPECT_FALSE(PathExists(""));
}

TEST_F(FileSystem, DeleteFileForcedRemovesReadOnlyFilesAndIgnoresMissingOnes)
{
    const QString path = at("readonly.ani");
    touch(path);
    QFile::setPermissions(path, QFileDevice::ReadOwner);
    DeleteFileForced(path);
    EXPECT_FALSE(QFile::exists(path));
    DeleteFileForced(at("missing.ani"));
    DeleteFileForced("");
    EXPECT_TRUE(QDir(dir.path()).exists());
}

TEST_F(FileSystem, AttributesUseWindowsBitValues)
{
#ifdef _WIN32
    GTEST_SKIP() << "the values made up from POSIX file modes; addfolder_win_test reads real ones";
#endif
    touch(at("plain.ani"));
    touch(at(".hidden.ani"));
    QDir(dir.path()).mkdir("sub");
    EXPECT_EQ(FileAttributes(at("plain.ani")), std::optional<std::uint32_t>(0));
    EXPECT_EQ(FileAttributes(at(".hidden.ani")),
              std::optional<std::uint32_t>(FileAttribute::kHidden));
    EXPECT_EQ(FileAttributes(at("sub")), std::optional<std::uint32_t>(FileAttribute::kDirectory));
    EXPECT_EQ(FileAttributes(at("missing")), std::nullopt);
    QFile::setPermissions(at("plain.ani"), QFileDevice::ReadOwner);
    EXPECT_EQ(FileAttributes(at("plain.ani")),
              std::optional<std::uint32_t>(FileAttribute::kReadOnly));
    ASSERT_TRUE(QFile::link(at("sub"), at("link")));
    EXPECT_EQ(
        FileAttributes(at("link")),
        std::optional<std::uint32_t>(FileAttribute::kDirectory | FileAttribute::kReparsePoint));
}

} // namespace

namespace {

TEST(DesktopFolder, OneTrailingSeparatorOrAnInvalidArgument)
{
    const QString sep = QDir::separator();
    EXPECT_EQ(DesktopFolderPath("/home/u/Desktop"),
              QDir::toNativeSeparators("/home/u/Desktop") + sep);
    EXPECT_EQ(DesktopFolderPath("/home/u/Desktop/"), QDir::toNativeSeparators("/home/u/Desktop/"));
    EXPECT_THROW(DesktopFolderPath(""), AppError);
    EXPECT_TRUE(DesktopFolderPath().endsWith(sep));
}

// A fresh account may have no desktop folder yet: the first folder that exists is taken.
TEST(DefaultOutputFolder, FirstExistingOfDesktopPicturesHome)
{
    QTemporaryDir home;
    const QString pictures = home.filePath("Pictures");
    const QString desktop = home.filePath("Desktop");
    const QString sep = QDir::separator();
    EXPECT_EQ(DefaultOutputFolderPath({desktop, pictures, home.path()}),
              QDir::toNativeSeparators(home.path()) + sep);
    QDir().mkpath(pictures);
    EXPECT_EQ(DefaultOutputFolderPath({desktop, pictures, home.path()}),
              QDir::toNativeSeparators(pictures) + sep);
    QDir().mkpath(desktop);
    EXPECT_EQ(DefaultOutputFolderPath({desktop, pictures, home.path()}),
              QDir::toNativeSeparators(desktop) + sep);
    EXPECT_EQ(DefaultOutputFolderPath({"", home.filePath("none")}), "");
}

} // namespace
