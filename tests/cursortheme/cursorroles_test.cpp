// The roles of a Windows scheme, the names Linux programs look them up by, and the roles file
// names give.
#include "cursorroles.h"
#include "debiancursornames.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <set>

using namespace ctheme;

namespace {

// Names grouped by the drawing they show in one theme.
using Groups = std::vector<std::set<std::string>>;

Groups groupsFromText(std::string_view text)
{
    Groups groups(1);
    std::string name;
    for (char c : std::string(text) + ";") {
        if (c == ' ' || c == ';') {
            if (!name.empty())
                groups.back().insert(name);
            name.clear();
            if (c == ';')
                groups.emplace_back();
        } else {
            name += c;
        }
    }
    groups.pop_back();
    return groups;
}

// The installed theme's names grouped by the file each resolves to; empty when not installed.
Groups groupsOnDisk(std::string_view folder)
{
    namespace fs = std::filesystem;
    const fs::path cursors = fs::path("/usr/share/icons") / folder / "cursors";
    std::error_code error;
    std::map<fs::path, std::set<std::string>> byFile;
    for (const auto& entry : fs::directory_iterator(cursors, error))
        byFile[fs::canonical(entry.path(), error)].insert(entry.path().filename().string());
    Groups groups;
    for (auto& [file, names] : byFile)
        groups.push_back(std::move(names));
    return groups;
}

struct Theme
{
    std::string folder;
    Groups groups;
    bool installed;
};

std::vector<Theme> debianThemes()
{
    std::vector<Theme> themes;
    for (const DebianTheme& t : kDebianThemes) {
        Groups onDisk = groupsOnDisk(t.folder);
        const bool installed = !onDisk.empty();
        themes.push_back({std::string(t.folder),
                          installed ? std::move(onDisk) : groupsFromText(t.groups), installed});
    }
    return themes;
}

const std::set<std::string>* groupOf(const Groups& groups, std::string_view name)
{
    for (const auto& g : groups)
        if (g.count(std::string(name)))
            return &g;
    return nullptr;
}

// Names a Debian theme draws as one role that we give another, and why.
const std::map<CursorRole, std::set<std::string>> kGivenElsewhere = {
    // Breeze links its hyphenated size names to the arrow; the names ask for resize arrows,
    // which they get here.
    {CursorRole::Arrow, {"size-bdiag", "size-fdiag", "size-hor", "size-ver"}},
    // DMZ draws fleur as a closed hand, and calls it grabbing too: a hand is no four-way arrow.
    {CursorRole::SizeAll, {"grabbing"}},
};

TEST(RoleTable, HoldsTheSchemePositionsInOrder)
{
    const char* const registry[] = {"Arrow",    "Help",     "AppStarting", "Wait",    "Crosshair",
                                    "IBeam",    "NWPen",    "No",          "SizeNS",  "SizeWE",
                                    "SizeNWSE", "SizeNESW", "SizeAll",     "UpArrow", "Hand",
                                    "Pin",      "Person"};
    ASSERT_EQ(roleTable().size(), std::size(registry));
    std::set<std::string_view> seen;
    for (std::size_t i = 0; i < kRoleCount; ++i) {
        const RoleInfo& info = roleTable()[i];
        EXPECT_EQ(static_cast<std::size_t>(info.role), i);
        EXPECT_EQ(info.registryName, registry[i]);
        EXPECT_EQ(roleFromRegistryName(registry[i]), info.role);
        ASSERT_FALSE(info.linuxNames.empty()) << registry[i];
        for (std::string_view name : info.linuxNames) {
            EXPECT_TRUE(seen.insert(name).second) << name << " is given to two roles";
            EXPECT_EQ(name.find('/'), std::string_view::npos);
        }
    }
    EXPECT_EQ(roleFromRegistryName("sizenwse"), CursorRole::SizeNWSE);
    EXPECT_FALSE(roleFromRegistryName("Scheme Source"));
}

// A theme made from a Windows scheme answers every name a complete Debian theme answers for the
// same drawing, so no program falls back to the inherited theme for a cursor the scheme has.
TEST(RoleTable, HasEveryNameDebianThemesGiveTheSameDrawing)
{
    std::set<std::string> shipped;
    for (const Theme& theme : debianThemes()) {
        SCOPED_TRACE(theme.folder + (theme.installed ? " (installed)" : " (from the list)"));
        for (const auto& g : theme.groups)
            shipped.insert(g.begin(), g.end());
        for (const RoleInfo& info : roleTable()) {
            const std::set<std::string> ours(info.linuxNames.begin(), info.linuxNames.end());
            const std::set<std::string>* group = nullptr;
            for (std::string_view name : info.linuxNames)
                if ((group = groupOf(theme.groups, name)))
                    break;
            if (info.role == CursorRole::Pin || info.role == CursorRole::Person) {
                EXPECT_EQ(group, nullptr) << "Linux has no " << info.registryName << " cursor";
                continue;
            }
            ASSERT_NE(group, nullptr) << info.registryName << " has no name this theme ships";
            const auto elsewhere = kGivenElsewhere.find(info.role);
            for (const std::string& name : *group)
                EXPECT_TRUE(ours.count(name) ||
                            (elsewhere != kGivenElsewhere.end() && elsewhere->second.count(name)))
                    << info.registryName << " lacks " << name;
        }
    }
    // And no name is made up: each is one some Debian theme ships.
    for (const RoleInfo& info : roleTable())
        if (info.role != CursorRole::Pin && info.role != CursorRole::Person)
            for (std::string_view name : info.linuxNames)
                EXPECT_TRUE(shipped.count(std::string(name))) << name;
}

TEST(RoleFromFileName, TakesRegistryAndCommonNamesOnly)
{
    const std::pair<const char*, std::optional<CursorRole>> cases[] = {
        {"Arrow.cur", CursorRole::Arrow},
        {"01 Normal Select.ani", CursorRole::Arrow},
        {"pointer.ani", CursorRole::Arrow},
        {"sub/dir\\AppStarting.ANI", CursorRole::AppStarting},
        {"03_working.ani", CursorRole::AppStarting},
        {"Working In Background.ani", CursorRole::AppStarting},
        {"busy.cur", CursorRole::Wait},
        {"text.cur", CursorRole::IBeam},
        {"I-Beam.cur", CursorRole::IBeam},
        {"unavailiable.ani", CursorRole::No},
        {"Diagonal Resize 1.cur", CursorRole::SizeNWSE},
        {"dgn2.cur", CursorRole::SizeNESW},
        {"link select.ani", CursorRole::Hand},
        {"Location Select.ani", CursorRole::Pin},
        {"person.cur", CursorRole::Person},
        {"arrow2.cur", std::nullopt},
        {"my busy cursor.ani", std::nullopt},
        {"readme.ani", std::nullopt},
        {"1234.cur", std::nullopt},
        {".cur", std::nullopt},
    };
    for (const auto& [name, role] : cases)
        EXPECT_EQ(roleFromFileName(name), role) << name;
}

} // namespace
