// Theme folders: names every system accepts, the cursors and their links, never replacing a
// theme, nothing left half written, and where a user's themes go.
#include "scratchfolder.h"
#include "themeerror.h"
#include "themewriter.h"

#include <cstdlib>
#include <gtest/gtest.h>

using namespace ctheme;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> entries(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder))
        names.push_back(utf8Of(e.path().filename()));
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::uint8_t> bytes(std::string_view text)
{
    return {text.begin(), text.end()};
}

TEST(ThemeFolderName, IsAcceptedEverywhere)
{
    const std::pair<const char*, const char*> cases[] = {
        {"Neon Ascii", "Neon Ascii"},
        {"光标主题", "光标主题"},
        {"a/b\\c:d*e?f\"g<h>i|j", "a_b_c_d_e_f_g_h_i_j"},
        {"  Trailing. . ", "Trailing"},
        {".hidden", "_hidden"},
        {"line\nbreak\t", "line_break_"},
        {"", "Cursors"},
        {"...", "Cursors"},
        {"con", "con_"},
        {"LPT1.theme", "LPT1.theme_"},
    };
    for (const auto& [name, folder] : cases)
        EXPECT_EQ(themeFolderName(name), folder) << name;
    const std::string longName(200, 'x');
    EXPECT_EQ(themeFolderName(longName).size(), 120u);
    std::string chinese;
    for (int i = 0; i < 60; ++i)
        chinese += "光"; // 3 bytes each: cut between characters, not inside one
    EXPECT_EQ(themeFolderName(chinese).size(), 120u);
}

TEST(ThemeFolderBuilder, WritesTheCursorsTheirLinksAndIndex)
{
    ScratchFolder out;
    ThemeFolderBuilder builder(out / "themes/new");
    EXPECT_EQ(builder.addCursor(CursorRole::Hand, bytes("hand bytes")), "pointer");
    EXPECT_EQ(builder.addCursor(CursorRole::Person, bytes("person bytes")), "person");
    const auto made = builder.finish("Neon\nAscii", "From install.inf");
    EXPECT_EQ(made.folder, out / "themes/new/Neon_Ascii");
    EXPECT_EQ(made.name, "Neon\nAscii");
    EXPECT_EQ(ScratchFolder::read(made.folder / "index.theme"),
              "[Icon Theme]\nName=Neon Ascii\nComment=From install.inf\nInherits=Adwaita\n");
    const fs::path cursors = made.folder / "cursors";
    EXPECT_EQ(entries(cursors),
              (std::vector<std::string>{"9d800788f1b08800ae810202380a0822",
                                        "e29285e634086352946a0e7090d73106", "hand", "hand1",
                                        "hand2", "person", "pointer", "pointing_hand"}));
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(cursors / "pointer")));
    for (const char* link : {"hand", "hand2", "e29285e634086352946a0e7090d73106"}) {
#ifdef _WIN32
        EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(cursors / link))) << "a copy";
#else
        EXPECT_TRUE(fs::is_symlink(cursors / link)) << link;
        EXPECT_EQ(fs::read_symlink(cursors / link), "pointer") << "relative, so the folder moves";
#endif
        EXPECT_EQ(ScratchFolder::read(cursors / link), "hand bytes");
    }
    EXPECT_EQ(entries(out / "themes/new"), std::vector<std::string>{"Neon_Ascii"});
}

TEST(ThemeFolderBuilder, NeverReplacesAThemeAndLeavesNothingHalfWritten)
{
    ScratchFolder out;
    fs::create_directory(out / "Neon");                    // an empty folder counts as taken
    out.write("Neon (2)/index.theme", "someone else's\n"); // so does another theme
    {
        ThemeFolderBuilder builder(out.path());
        builder.addCursor(CursorRole::Arrow, bytes("arrow"));
        const auto made = builder.finish("Neon", "");
        EXPECT_EQ(made.folder, out / "Neon (3)");
        EXPECT_EQ(made.name, "Neon (3)");
        EXPECT_NE(ScratchFolder::read(made.folder / "index.theme").find("Name=Neon (3)\n"),
                  std::string::npos);
    }
    EXPECT_EQ(ScratchFolder::read(out / "Neon (2)/index.theme"), "someone else's\n");
    EXPECT_TRUE(fs::is_empty(out / "Neon"));
    {
        ThemeFolderBuilder abandoned(out.path());
        abandoned.addCursor(CursorRole::Wait, bytes("wait"));
        EXPECT_EQ(entries(out.path()).size(), 4u); // the three themes and the hidden folder
    }
    EXPECT_EQ(entries(out.path()), (std::vector<std::string>{"Neon", "Neon (2)", "Neon (3)"}));
}

TEST(ThemeFolderBuilder, SaysWhyItCannotWrite)
{
    ScratchFolder out;
    out.write("file", "");
    try {
        ThemeFolderBuilder builder(out / "file/sub");
        ADD_FAILURE() << "a theme folder inside a file";
    } catch (const ThemeError& e) {
        EXPECT_EQ(e.kind(), ThemeError::Kind::CannotWrite);
        EXPECT_NE(std::string(e.what()).find("cannot write"), std::string::npos);
    }
}

#ifndef _WIN32
TEST(UserThemesFolder, IsWhereDesktopsReadThem)
{
    const char* home = std::getenv("HOME");
    const char* data = std::getenv("XDG_DATA_HOME");
    const std::string keptHome = home ? home : "", keptData = data ? data : "";
    setenv("HOME", "/home/someone", 1);
    unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(userThemesFolder(), fs::path("/home/someone/.local/share/icons"));
    setenv("XDG_DATA_HOME", "/data/home", 1);
    EXPECT_EQ(userThemesFolder(), fs::path("/data/home/icons"));
    setenv("XDG_DATA_HOME", "relative/data", 1); // not absolute: the rules say to ignore it
    EXPECT_EQ(userThemesFolder(), fs::path("/home/someone/.local/share/icons"));
    EXPECT_TRUE(themesInstallHere());
    home ? setenv("HOME", keptHome.c_str(), 1) : unsetenv("HOME");
    data ? setenv("XDG_DATA_HOME", keptData.c_str(), 1) : unsetenv("XDG_DATA_HOME");
}

// Debian's libXcursor reads ~/.icons alone: an installed theme gets a link there, which never
// replaces what is there.
TEST(UserThemesFolder, OlderReadersGetALinkThatReplacesNothing)
{
    const ScratchFolder home;
    const char* kept = std::getenv("HOME");
    const std::string keptHome = kept ? kept : "";
    setenv("HOME", home.path().c_str(), 1);
    const fs::path installed = home / ".local/share/icons/Neon";
    fs::create_directories(installed);
    const fs::path link = linkForOlderReaders(installed);
    EXPECT_EQ(link, home / ".icons/Neon");
    EXPECT_TRUE(fs::equivalent(link, installed));
    home.write(".icons/Taken/index.theme", "mine");
    fs::create_directories(home / ".local/share/icons/Taken");
    EXPECT_EQ(linkForOlderReaders(home / ".local/share/icons/Taken"), fs::path());
    EXPECT_FALSE(fs::is_symlink(home / ".icons/Taken"));
    EXPECT_EQ(linkForOlderReaders(home / ".icons/Taken"), fs::path());
    kept ? setenv("HOME", keptHome.c_str(), 1) : unsetenv("HOME");
}
#endif

} // namespace
