#include "addfolder.h"
#include "apperror.h"
#include "fileattributes.h"
#include "folderreader.h"
#include "foldertree.h"
#include "leftoutnames.h"
#include "nativepaths.h"
#include "paths.h"
#include "scripteddialogs.h"
#include "wildcard.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

const QString sep = QString(QDir::separator());

TEST(WildcardPattern, MatchesLikeTheWindowsListingWithoutRegardToCase)
{
    const WildcardPattern ani(QStringLiteral("*.ani"));
    EXPECT_TRUE(ani.matches(u"a.ani"));
    EXPECT_TRUE(ani.matches(u"BUSY.ANI"));
    EXPECT_TRUE(ani.matches(u"my.cursor.ani"));
    EXPECT_TRUE(ani.matches(u".ani"));
    EXPECT_FALSE(ani.matches(u"a.anix"));
    EXPECT_FALSE(ani.matches(u"ani"));
    EXPECT_FALSE(ani.matches(u"a.an"));

    // "*" typed by the user gives "*.*": every name, also without a dot.
    const WildcardPattern all(QStringLiteral("*.*"));
    EXPECT_TRUE(all.matches(u"notes.txt"));
    EXPECT_TRUE(all.matches(u"README"));

    // ".ani" typed is used as typed.
    const WildcardPattern dotted(QStringLiteral("*..ani"));
    EXPECT_TRUE(dotted.matches(u"x..ani"));
    EXPECT_FALSE(dotted.matches(u"x.ani"));

    const WildcardPattern question(QStringLiteral("a?c.*"));
    EXPECT_TRUE(question.matches(u"abc.txt"));
    EXPECT_TRUE(question.matches(u"a光c.txt"));
    EXPECT_TRUE(question.matches(u"a\U0001F5B1c")); // one character outside the BMP
    EXPECT_FALSE(question.matches(u"ac.txt"));

    // Brackets are plain characters, not sets.
    const WildcardPattern bracket(QStringLiteral("*.[a]"));
    EXPECT_TRUE(bracket.matches(u"x.[a]"));
    EXPECT_FALSE(bracket.matches(u"x.a"));

    const WildcardPattern cyrillic(QStringLiteral("*.курс"));
    EXPECT_TRUE(cyrillic.matches(u"Стрелка.КУРС"));
}

TEST(HasUnsafeCharacters, RefusesOnlyControlCharacters)
{
    EXPECT_TRUE(HasUnsafeCharacters(QStringLiteral("a\x01b")));
    EXPECT_TRUE(HasUnsafeCharacters(QStringLiteral("tab\there")));
    EXPECT_TRUE(HasUnsafeCharacters(QString(QChar(127))));
    EXPECT_TRUE(HasUnsafeCharacters(QString(QChar(0x85))));
    EXPECT_TRUE(HasUnsafeCharacters(QString(QChar(0x9f))));
    EXPECT_FALSE(HasUnsafeCharacters(QString(QChar(0xa0))));
    EXPECT_FALSE(HasUnsafeCharacters(QStringLiteral("what?")));
    EXPECT_FALSE(HasUnsafeCharacters(QStringLiteral("Курсоры")));
    EXPECT_FALSE(HasUnsafeCharacters(QStringLiteral("光标 🖱")));
    EXPECT_FALSE(HasUnsafeCharacters(QString()));
}

TEST(IsExistingFile, TrueOnlyForFilesThatOpen)
{
    FolderTree tree;
    SKIP_WITHOUT_REPARSE_POINTS(tree);
    tree.file("a.ani");
    tree.folder("dir.ani");
    tree.link("link.ani", tree.path("a.ani"));
    tree.link("broken.ani", tree.path("gone.ani"));
    EXPECT_TRUE(IsExistingFile(tree.path("a.ani")));
    EXPECT_TRUE(IsExistingFile(tree.path("link.ani")));
    EXPECT_FALSE(IsExistingFile(tree.path("dir.ani")));
    EXPECT_FALSE(IsExistingFile(tree.path("broken.ani")));
    EXPECT_FALSE(IsExistingFile(tree.path("missing.ani")));
    EXPECT_FALSE(IsExistingFile(QString()));
}

TEST(ListFolderFiles, NamesOfMatchingFilesOnly)
{
    FolderTree tree;
    tree.file("b.ani");
    tree.file("A.ANI");
    tree.file(".hidden.ani");
    tree.file("notes.txt");
    tree.file("~temp.ani");
    tree.folder("dir.ani");
    tree.link("broken.ani", tree.path("gone.ani"));

    const QStringList expected = {".hidden.ani", "A.ANI", "b.ani", "~temp.ani"};
    EXPECT_EQ(ListFolderFiles(tree.root(), "*.ani"), expected);
    EXPECT_EQ(ListFolderFiles(tree.root() + sep, "*.ani"), expected);
    EXPECT_EQ(ListFolderFiles(tree.root(), "*.*").size(), 5);
    EXPECT_TRUE(ListFolderFiles(tree.root(), "*.cur").isEmpty());

    try {
        ListFolderFiles(tree.path("missing"), "*.*");
        FAIL() << "a missing folder must not list";
    } catch (const AppError& error) {
        EXPECT_EQ(error.number(), ErrorNumber::kPathNotFound);
    }
}

TEST(FolderFiles, SkipsTildeNamesAndCollapsesDoubledSeparators)
{
    FolderTree tree;
    tree.file("a.ani");
    tree.file("~b.ani");
    tree.file("c.txt");
    // A root chosen by the user enters the folder list with a doubled separator.
    const QStringList paths = FolderFiles(tree.root() + sep + sep, "*.ani");
    EXPECT_EQ(paths, QStringList{tree.path("a.ani")});
    EXPECT_EQ(FolderFiles(tree.root() + sep, "*.*"),
              (QStringList{tree.path("a.ani"), tree.path("c.txt")}));
}

TEST(FolderFiles, NamesThatDoNotDecodeAreLeftOutAndTheRestListed)
{
#ifdef _WIN32
    GTEST_SKIP() << "Windows names are UTF-16: there is no name that fails to decode";
#else
    FolderTree tree;
    tree.file("a.ani");
    tree.file("z.ani");
    const QByteArray raw = QFile::encodeName(tree.root()) + "/caf\xe9.ani";
    const int fd = ::open(raw.constData(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    ::close(fd);
    const QStringList listed = FolderFiles(tree.root(), "*");
    EXPECT_EQ(listed, (QStringList{tree.path("a.ani"), tree.path("z.ani")}));
    for (const QString& path : listed)
        EXPECT_TRUE(IsExistingFile(path));
#endif
}

TEST(FolderReader, ListedAttributesAreThoseOfTheAttributeQuery)
{
    FolderTree tree;
    SKIP_WITHOUT_REPARSE_POINTS(tree);
    tree.file("plain.ani");
    tree.file(".hidden.ani");
    tree.file("readonly.ani");
    QFile::setPermissions(tree.path("readonly.ani"), QFileDevice::ReadOwner);
    tree.folder("sub");
    tree.folder(".hiddensub");
    tree.link("filelink.ani", tree.path("plain.ani"));
    tree.link("folderlink", tree.path("sub"));

    int seen = 0;
    FolderReader reader(tree.root());
    while (reader.next()) {
        const QString path = tree.path(reader.name());
        const std::optional<EntryFacts> facts = reader.facts();
        ASSERT_TRUE(facts.has_value()) << path.toStdString();
        EXPECT_EQ(std::optional<std::uint32_t>(facts->attributes), FileAttributes(path))
            << path.toStdString();
        EXPECT_EQ(std::optional<std::uint32_t>(FactsOf(path)->attributes), FileAttributes(path))
            << path.toStdString();
        ++seen;
    }
    EXPECT_EQ(seen, 7);
}

class Walk : public ::testing::Test
{
protected:
    QStringList walk(const QString& relative = QString())
    {
        QStringList folders{tree.path(relative) + sep};
        GetSubDirectories2016(folders, true, dialogs);
        return folders;
    }
    QString entry(const QString& relative) const { return tree.path(relative) + sep; }

    FolderTree tree;
    ScriptedDialogs dialogs;
};

TEST_F(Walk, BreadthFirstByLevelsInNameOrder)
{
    tree.file("t1.ani");
    tree.file("b/b1.ani");
    tree.file("A/a1.ani");
    tree.file("A/A1/a11.ani");
    tree.folder("A/A1/deep/deeper");
    tree.folder("c");
    // Hidden folders (directory + hidden, 18) are walked.
    tree.file(".h/h.ani");
    const QStringList expected = {
        entry(""),  entry(".h"),   entry("A"),         entry("b"),
        entry("c"), entry("A/A1"), entry("A/A1/deep"), entry("A/A1/deep/deeper")};
    EXPECT_EQ(walk(), expected);
    EXPECT_TRUE(dialogs.messages.empty());

    // Without recursion only the first level is added.
    QStringList oneLevel{entry("")};
    GetSubDirectories2016(oneLevel, false, dialogs);
    EXPECT_EQ(oneLevel, (QStringList{entry(""), entry(".h"), entry("A"), entry("b"), entry("c")}));
}

TEST_F(Walk, LinksBackToAncestorsEndAndEachRealFolderIsVisitedOnce)
{
    SKIP_WITHOUT_REPARSE_POINTS(tree);
    tree.file("A/a1.ani");
    tree.file("A/A1/a11.ani");
    tree.file("B/b1.ani");
    ASSERT_TRUE(tree.link("A/A1/up", tree.root()));
    ASSERT_TRUE(tree.link("B/again", "../A"));
    ASSERT_TRUE(tree.link("B/self", "."));
    ASSERT_TRUE(tree.link("C", tree.path("A/A1")));
    // C reaches A1 one level before A does, so A1 is walked through C only.
    const QStringList folders = walk();
    EXPECT_EQ(folders, (QStringList{entry(""), entry("A"), entry("B"), entry("C")}));

    const QStringList files = FilesInFolders(folders, "*.ani");
    EXPECT_EQ(files,
              (QStringList{tree.path("A/a1.ani"), tree.path("B/b1.ani"), tree.path("C/a11.ani")}));
}

TEST_F(Walk, NamesOfEveryScriptAreWalkedButControlCharactersAreNot)
{
    tree.file(QStringLiteral("Курсоры/стрелка.ani"));
    tree.file(QStringLiteral("光标/忙.ani"));
    QStringList folders{entry("")}, files;
#ifndef _WIN32 // "?" and control characters cannot be part of Windows names
    tree.file(QStringLiteral("what?/q.ani"));
    tree.file(QStringLiteral("bad\x01name/hidden.ani"));
    tree.file(QStringLiteral("bad\x01name/under/more.ani"));
    folders << entry("what?");
    files << tree.path("what?/q.ani");
#endif
    folders << entry(QStringLiteral("Курсоры")) << entry(QStringLiteral("光标"));
    files << tree.path(QStringLiteral("Курсоры/стрелка.ani"))
          << tree.path(QStringLiteral("光标/忙.ani"));
    EXPECT_EQ(walk(), folders);
    EXPECT_EQ(FilesInFolders(folders, "*.ANI"), files);
}

TEST_F(Walk, PathsLongerThanTheOldLimitAreWalked)
{
    QString relative;
    for (int i = 0; i < 12; ++i)
        relative += QString(40, QChar(u'd' + 0)) + QString::number(i) + sep;
    tree.file(relative + "deep.ani");
    const QString file = tree.path(relative + "deep.ani");
    ASSERT_GT(file.size(), 500);
    const QStringList files = FilesInFolders(walk(), "*.ani");
    EXPECT_EQ(files, QStringList{file});
}

TEST_F(Walk, FoldersThatCannotBeListedAreDroppedAndNotedAsLeftOut)
{
    tree.file("A/a1.ani");
    tree.file("A/inner/x.ani");
    tree.file("B/b1.ani");
    tree.file("B/B1/b11.ani");
    LockedFolder lockedA(tree.path("A"));
    QStringList folders;
    LeftOutNames leftOut;
    {
        PermissionChecks checks;
        REQUIRE_UNLISTABLE(tree.path("A"));
        folders = walk();
    }
    EXPECT_EQ(folders, (QStringList{entry(""), entry("B"), entry("B/B1")}));
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(leftOut.unreadableFolders(), QStringList{tree.path("A")});

    // The chosen folder itself, when locked, is taken out of the list.
    LockedFolder lockedB(tree.path("B"));
    PermissionChecks checks;
    EXPECT_TRUE(walk("B").isEmpty());
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(leftOut.unreadableFolders(), (QStringList{tree.path("A"), tree.path("B")}));
    EXPECT_EQ(leftOut.count(), 2);
}

// A root chosen by the user is walked with a doubled separator; what the box shows has none.
TEST(LeftOutNames, PathsShowWithSingleSeparators)
{
    const QString root = Native(QDir::rootPath());
    const QString sep = NativeSeparator();
    LeftOutNames leftOut;
    LeftOutNames::note(root + sep, "caf\xe9.ani");
    LeftOutNames::noteUnreadable(root + sep + "root" + sep);
    EXPECT_EQ(leftOut.paths(), QStringList{root + "caf\\xe9.ani"});
    EXPECT_EQ(leftOut.unreadableFolders(), QStringList{root + "root"});
    EXPECT_TRUE(leftOut.report().contains("\n" + root + "root\n"));
}

TEST_F(Walk, AFolderThatVanishedIsTakenOutOfTheList)
{
    QStringList folders{entry("gone"), entry("")};
    tree.file("A/a.ani");
    GetSubDirectories2016(folders, true, dialogs);
    // "gone" is no folder, so it is neither entered nor removed: entries passed in stay.
    EXPECT_EQ(folders, (QStringList{entry("gone"), entry(""), entry("A")}));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST(BrowseForFolder, TrimsTrailingSeparatorsExceptOnARoot)
{
    const QString root = Native(QDir::rootPath());
    ScriptedDialogs dialogs;
    dialogs.browseAnswers = {Native(DrivePrefix() + "/tmp/x/"), Native(DrivePrefix() + "/tmp/y"),
                             root, QString()};
    EXPECT_EQ(BrowseForFolder(dialogs, "Please select folder:", "/start"),
              Native(DrivePrefix() + "/tmp/x"));
    EXPECT_EQ(BrowseForFolder(dialogs, "Please select folder:", ""),
              Native(DrivePrefix() + "/tmp/y"));
    EXPECT_EQ(BrowseForFolder(dialogs, "Please select folder:", ""), root);
    EXPECT_EQ(BrowseForFolder(dialogs, "Please select folder:", ""), "");
    ASSERT_EQ(dialogs.browses.size(), 4u);
    EXPECT_EQ(dialogs.browses[0].prompt, "Please select folder:");
    EXPECT_EQ(dialogs.browses[0].start, "/start");
}

} // namespace
