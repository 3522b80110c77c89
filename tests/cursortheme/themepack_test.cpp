// Finding which file of a pack is which cursor: paths as .inf files write them, and packs read
// from their .inf files or, without one, from their file names.
#include "scratchfolder.h"
#include "themeerror.h"
#include "themepack.h"

#include <gtest/gtest.h>

using namespace ctheme;
namespace fs = std::filesystem;

namespace {

TEST(PackFolder, FindsFilesAsWindowsWouldWithoutRegardToCase)
{
    ScratchFolder pack;
    for (const char* file : {"Cursors/Neon/Arrow.ANI", "sub/deep/text.cur", "a/x.ani", "b/x.ani",
                             "Same.cur", "same.CUR", "Ärger.ani"})
        pack.write(file, "");
    const PackFolder folder(pack.path());
    // Where names that differ in case are one file (Windows), its spelling cannot be told.
    const bool caseBlind = fs::equivalent(pack / "Same.cur", pack / "same.CUR");
    const struct
    {
        const char* base;
        const char* written;
        const char* found; // "" when nothing is
    } cases[] = {
        {"", "%10%\\Cursors\\Neon\\arrow.ani", "Cursors/Neon/Arrow.ANI"},
        {"", "C:\\Windows\\Cursors/Neon/ARROW.ani", "Cursors/Neon/Arrow.ANI"},
        {"", "%10%\\%CUR_DIR%\\TEXT.cur", "sub/deep/text.cur"},
        {"sub", "Cursors\\deep\\text.cur", "sub/deep/text.cur"},
        {"sub", "arrow.ani", ""},
        {"", "Same.cur", "Same.cur"},
        {"", "same.CUR", "same.CUR"},
        {"", "äRGER.ANI", "Ärger.ani"},
        {"", "..\\..\\Cursors\\Neon\\Arrow.ani", "Cursors/Neon/Arrow.ANI"},
        {"", "missing.ani", ""},
        {"", "%10%\\", ""},
    };
    for (const auto& c : cases) {
        const auto found = folder.find(pathFromUtf8(c.base), c.written, nullptr);
        if (*c.found == '\0')
            EXPECT_FALSE(found) << c.written;
        else if (caseBlind)
            EXPECT_TRUE(found && fs::equivalent(*found, pack / c.found)) << c.written;
        else
            EXPECT_EQ(found, pack / c.found) << c.written;
    }
    std::vector<fs::path> several;
    EXPECT_FALSE(folder.find({}, "X.ani", &several));
    EXPECT_EQ(several, (std::vector<fs::path>{pack / "a/x.ani", pack / "b/x.ani"}));
}

std::string schemeInf(const std::string& name, const std::string& files)
{
    return "[R]\nHKCU,\"Control Panel\\Cursors\\Schemes\",\"" + name + "\",,\"" + files + "\"\n";
}

TEST(PlanPack, ReadsTheInfFilesItIsGiven)
{
    ScratchFolder pack;
    pack.write("theme/install.inf", schemeInf("One", "a.ani,,b.cur"));
    pack.write("theme/other.inf", schemeInf("Two", "a.ani"));
    pack.write("theme/a.ani", "");
    pack.write("theme/b.cur", "");
    pack.write("theme/spare.cur", "");

    const PackPlan one = planPack(pack / "theme/install.inf");
    ASSERT_EQ(one.themes.size(), 1u);
    EXPECT_EQ(one.themes[0].name, "One");
    EXPECT_EQ(one.themes[0].roles[0].file, pack / "theme/a.ani");
    EXPECT_EQ(one.themes[0].roles[1].status, RoleStatus::Unset);
    EXPECT_EQ(one.themes[0].roles[2].file, pack / "theme/b.cur");
    EXPECT_EQ(one.themes[0].roles[3].status, RoleStatus::Unset);
    EXPECT_EQ(one.unmapped, (std::vector<fs::path>{pack / "theme/spare.cur"}));

    // A folder: its .inf files, here found a level down.
    const PackPlan both = planPack(pack.path());
    ASSERT_EQ(both.themes.size(), 2u);
    EXPECT_EQ(both.sources.size(), 2u);
    EXPECT_TRUE(both.sources[0].inf);
    EXPECT_EQ(both.sources[0].encoding, "UTF-8");
}

TEST(PlanPack, WithoutASchemeTakesFileNamesAndNeverGuesses)
{
    ScratchFolder pack;
    pack.write("Neon/uninstall.inf", "[Version]\nsignature=$CHICAGO$\n");
    for (const char* file :
         {"Wait.cur", "busy.ani", "Busy.cur", "Normal Select.cur", "neon.ani", "sub/help.ani"})
        pack.write(std::string("Neon/") + file, "");
    const PackPlan plan = planPack(pack / "Neon");
    ASSERT_EQ(plan.themes.size(), 1u);
    const ThemePlan& theme = plan.themes[0];
    EXPECT_EQ(theme.name, "Neon");
    EXPECT_EQ(theme.roles[0].file, pack / "Neon/Normal Select.cur");
    // The registry's name wins over a common one, whatever the kind of file.
    EXPECT_EQ(theme.roles[3].file, pack / "Neon/Wait.cur");
    EXPECT_EQ(theme.roles[1].status, RoleStatus::Unset); // only the folder itself is read by name
    EXPECT_EQ(plan.unmapped,
              (std::vector<fs::path>{pack / "Neon/Busy.cur", pack / "Neon/busy.ani",
                                     pack / "Neon/neon.ani", pack / "Neon/sub/help.ani"}));
    ASSERT_EQ(plan.notes.size(), 4u);
    EXPECT_NE(plan.notes[0].find("installs no cursor scheme"), std::string::npos);
    EXPECT_NE(plan.notes[1].find("taken by their file names"), std::string::npos);
    EXPECT_NE(plan.notes[2].find("busy.ani is also named for Wait; Wait.cur was taken"),
              std::string::npos);
    EXPECT_NE(plan.notes[3].find("Busy.cur is also named for Wait"), std::string::npos);
}

TEST(PlanPack, AFolderOfCursorsIsItsOwnPackBesideAPackBelowIt)
{
    ScratchFolder pack;
    pack.write("mine/Arrow.cur", "");
    pack.write("mine/odd.ani", "");
    pack.write("mine/Neon/install.inf", schemeInf("Neon", "a.ani"));
    pack.write("mine/Neon/a.ani", "");
    pack.write("mine/Neon/spare.ani", "");

    // The folder's own cursors by name; the pack below is neither made again nor left over.
    const PackPlan plan = planPack(pack / "mine");
    ASSERT_EQ(plan.themes.size(), 1u);
    EXPECT_EQ(plan.themes[0].name, "mine");
    EXPECT_EQ(plan.themes[0].roles[0].file, pack / "mine/Arrow.cur");
    EXPECT_EQ(plan.unmapped, (std::vector<fs::path>{pack / "mine/odd.ani"}));
    ASSERT_FALSE(plan.notes.empty());
    EXPECT_NE(plan.notes.back().find("Neon is a theme pack of its own (install.inf)"),
              std::string::npos);

    // Without cursors of its own, a folder stands for the pack below it.
    pack.write("archive/Neon/install.inf", schemeInf("Neon", "a.ani"));
    pack.write("archive/Neon/a.ani", "");
    const PackPlan archive = planPack(pack / "archive");
    ASSERT_EQ(archive.themes.size(), 1u);
    EXPECT_EQ(archive.themes[0].name, "Neon");
}

TEST(PlanPack, RefusesWhatCannotBeRead)
{
    ScratchFolder pack;
    try {
        planPack(pack / "no such pack");
        ADD_FAILURE() << "a missing pack was read";
    } catch (const ThemeError& e) {
        EXPECT_EQ(e.kind(), ThemeError::Kind::CannotRead);
        EXPECT_NE(std::string(e.what()).find("no such file or folder"), std::string::npos);
    }
    pack.write("empty/readme.txt", "");
    EXPECT_TRUE(planPack(pack / "empty").themes.empty());
}

} // namespace
