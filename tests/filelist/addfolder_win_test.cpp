// The folder intake on Windows: attribute values decide what is walked and listed.
#include "addfolder.h"
#include "fileattributes.h"
#include "foldertree.h"
#include "scripteddialogs.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

void setAttributes(const QString& path, DWORD value)
{
    ASSERT_TRUE(::SetFileAttributesW(path.toStdWString().c_str(), value)) << path.toStdString();
}

class WindowsWalk : public ::testing::Test
{
protected:
    QStringList walk()
    {
        QStringList folders{tree.root() + "\\"};
        GetSubDirectories2016(folders, true, dialogs);
        return folders;
    }
    QString entry(const QString& relative) const { return tree.path(relative) + "\\"; }

    FolderTree tree;
    ScriptedDialogs dialogs;
};

TEST_F(WindowsWalk, SystemHiddenFoldersAreLeftOutHiddenOnesAreWalked)
{
    tree.file("hidden/h.ani");
    tree.file("system/s.ani");
    tree.file("plain/p.ani");
    setAttributes(tree.path("hidden"), FILE_ATTRIBUTE_HIDDEN);
    setAttributes(tree.path("system"), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    EXPECT_EQ(FileAttributes(tree.path("hidden")), std::optional<std::uint32_t>(18));
    EXPECT_EQ(FileAttributes(tree.path("system")), std::optional<std::uint32_t>(22));
    EXPECT_EQ(walk(), (QStringList{entry(""), entry("hidden"), entry("plain")}));
}

TEST_F(WindowsWalk, HiddenArchiveFilesAreSkippedOtherHiddenFilesTaken)
{
    // Wine keeps the archive bit on every file, so hidden alone (2) cannot be made there.
    for (const char* name : {"34.ani", "38.ani", "32.ani"})
        tree.file(name);
    setAttributes(tree.path("34.ani"), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE);
    setAttributes(tree.path("38.ani"),
                  FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
    setAttributes(tree.path("32.ani"), FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(FileAttributes(tree.path("34.ani")), std::optional<std::uint32_t>(34));
    EXPECT_EQ(FolderFiles(tree.root() + "\\", "*.ani"),
              (QStringList{tree.path("32.ani"), tree.path("38.ani")}));
}

TEST_F(WindowsWalk, ALinkBackToAnAncestorEndsTheWalk)
{
    SKIP_WITHOUT_REPARSE_POINTS(tree);
    tree.file("A/a.ani");
    ASSERT_TRUE(tree.link("A/up", tree.root())) << "error " << ::GetLastError();
    EXPECT_EQ(walk(), (QStringList{entry(""), entry("A")}));
    EXPECT_EQ(FileAttributes(tree.path("A/up")).value_or(0) & FILE_ATTRIBUTE_REPARSE_POINT,
              static_cast<std::uint32_t>(FILE_ATTRIBUTE_REPARSE_POINT));
}

} // namespace
