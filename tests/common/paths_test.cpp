#include "paths.h"
#include "qtprinters.h"

#include <gtest/gtest.h>

namespace {

const QString bs = QStringLiteral("\\");

QString win(const char* text)
{
    return QString::fromUtf8(text);
}

TEST(PathNames, FileNameAndFolderOnWindowsPaths)
{
    EXPECT_EQ(FileNameOf(win(R"(C:\cur\arrow.ani)"), kWindowsPaths), "arrow.ani");
    EXPECT_EQ(FileNameOf(win("arrow.ani"), kWindowsPaths), "arrow.ani");
    EXPECT_EQ(FileNameOf(win(R"(C:\cur\)"), kWindowsPaths), "");
    EXPECT_EQ(FolderOf(win(R"(C:\cur\arrow.ani)"), kWindowsPaths), win(R"(C:\cur\)"));
    EXPECT_EQ(FolderOf(win("arrow.ani"), kWindowsPaths), "");
    EXPECT_EQ(FolderOf(win(R"(\\srv\share\a.ani)"), kWindowsPaths), win(R"(\\srv\share\)"));
    // A forward slash is no separator on Windows semantics.
    EXPECT_EQ(FileNameOf(win("C:/cur/a.ani"), kWindowsPaths), "C:/cur/a.ani");
}

TEST(PathNames, FileNameAndFolderOnPosixPaths)
{
    EXPECT_EQ(FileNameOf("/home/u/a.b.ani", kPosixPaths), "a.b.ani");
    EXPECT_EQ(FolderOf("/home/u/a.ani", kPosixPaths), "/home/u/");
    EXPECT_EQ(FolderOf("/a.ani", kPosixPaths), "/");
    EXPECT_EQ(FileNameOf(QString::fromUtf8("/tmp/Курсор 光标 🖱.ani"), kPosixPaths),
              QString::fromUtf8("Курсор 光标 🖱.ani"));
}

TEST(PathNames, StripExtensionKeepsLeadingDotNames)
{
    EXPECT_EQ(StripExtension("ARROW.ANI"), "ARROW");
    EXPECT_EQ(StripExtension("my.arrow.ani"), "my.arrow");
    EXPECT_EQ(StripExtension(".ani"), ".ani");
    EXPECT_EQ(StripExtension("arrow"), "arrow");
    EXPECT_EQ(StripExtension(""), "");
    EXPECT_EQ(StripExtension("a."), "a");
}

TEST(CollapseBackslashes, WindowsTableOfExamples)
{
    const std::pair<const char*, const char*> cases[] = {
        {R"(C:\cur\\arrow.jpg)", R"(C:\cur\arrow.jpg)"},
        {R"(D:\out\\\x.jpg)", R"(D:\out\\x.jpg)"},
        {R"(D:\out\\\\x.jpg)", R"(D:\out\\x.jpg)"},
        {R"(\\srv\share\\a.jpg)", R"(\\srv\share\a.jpg)"},
        {R"(\\\srv\a.jpg)", R"(\\srv\a.jpg)"},
        {R"(\a.jpg)", R"(\\a.jpg)"},
        {R"(\\)", R"(\\)"},
        {"", ""},
        {R"(C:\\a.ani)", R"(C:\a.ani)"},
    };
    for (const auto& [input, expected] : cases)
        EXPECT_EQ(CollapseBackslashes(win(input), kWindowsPaths), win(expected)) << input;
}

TEST(CollapseBackslashes, PosixLeadingSlashStaysSingle)
{
    EXPECT_EQ(CollapseBackslashes("/a.jpg", kPosixPaths), "/a.jpg");
    EXPECT_EQ(CollapseBackslashes("/out//x.jpg", kPosixPaths), "/out/x.jpg");
    EXPECT_EQ(CollapseBackslashes("//x.jpg", kPosixPaths), "/x.jpg");
    // Backslashes are ordinary name characters on POSIX.
    EXPECT_EQ(CollapseBackslashes(R"(/a\\b.jpg)", kPosixPaths), R"(/a\\b.jpg)");
}

TEST(ShownPath, EveryRunOfSeparatorsShowsAsOne)
{
    EXPECT_EQ(ShownPath("//home/me//x.ani", kPosixPaths), "/home/me/x.ani");
    EXPECT_EQ(ShownPath("///", kPosixPaths), "/");
    EXPECT_EQ(ShownPath(R"(/a\\b)", kPosixPaths), R"(/a\\b)");
    EXPECT_EQ(ShownPath(win(R"(C:\\cur\\\x.ani)"), kWindowsPaths), win(R"(C:\cur\x.ani)"));
    // A network prefix keeps its two, however many there were.
    EXPECT_EQ(ShownPath(win(R"(\\\srv\\share\a)"), kWindowsPaths), win(R"(\\srv\share\a)"));
    EXPECT_EQ(ShownPath(win(R"(\a)"), kWindowsPaths), win(R"(\a)"));
    EXPECT_EQ(ShownPath("", kPosixPaths), "");
}

} // namespace

TEST(FolderFromUserText, QuotesAndHomeGoAndRelativePathsAreToldApart)
{
    struct Case
    {
        QString text;
        PathStyle style;
        QString path;
        bool relative;
    };
    const Case cases[] = {
        {"\"C:\\My Pictures\\out\"", kWindowsPaths, "C:\\My Pictures\\out", false},
        {"  'C:/out'\n", kWindowsPaths, "C:/out", false},
        {"\\\\server\\share", kWindowsPaths, "\\\\server\\share", false},
        {"~\\out", kWindowsPaths, "C:\\Users\\me\\out", false},
        {"C:out", kWindowsPaths, "C:out", true},
        {"\\out", kWindowsPaths, "\\out", true},
        {"~", kPosixPaths, "/home/me", false},
        {"\"~/out\"", kPosixPaths, "/home/me/out", false},
        {"~other/out", kPosixPaths, "~other/out", true},
        {"out/jpg", kPosixPaths, "out/jpg", true},
        {"\"/out", kPosixPaths, "\"/out", true},
        {"", kPosixPaths, "", false},
    };
    for (const Case& c : cases) {
        const QString home = c.style.networkPrefix ? "C:\\Users\\me\\" : "/home/me/";
        const UserFolder folder = FolderFromUserText(c.text, home, c.style);
        EXPECT_EQ(folder.path, c.path) << c.text.toStdString();
        EXPECT_EQ(folder.relative, c.relative) << c.text.toStdString();
    }
}
