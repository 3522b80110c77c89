#pragma once
// What a Windows cursor theme pack holds: which file is which cursor of which scheme, found from
// its .inf files, or from the files' names when it has none.
//
//   const ctheme::PackPlan plan = ctheme::planPack(ctheme::pathFromUtf8("Neon/install.inf"));
//   for (const ctheme::ThemePlan& theme : plan.themes) ...
#include "cursorroles.h"

#include <array>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ctheme {

// Paths are UTF-8 text on every platform.
std::filesystem::path pathFromUtf8(std::string_view utf8);
std::string utf8Of(const std::filesystem::path& path);

// Every file of a pack's folder tree, found by the paths an .inf writes: either separator, case
// ignored (Windows ignores it, so packs get it wrong), %10% and other folder numbers left out.
class PackFolder
{
public:
    // Throws ThemeError (CannotRead). Looks at most kMaxDepth folders deep and kMaxFiles files.
    explicit PackFolder(std::filesystem::path root);
    static constexpr int kMaxDepth = 4;
    static constexpr std::size_t kMaxFiles = 20000;

    const std::filesystem::path& root() const { return root_; }
    // Why not every file was looked at ("" when every one was).
    const std::string& cutShort() const { return cutShort_; }

    // The file `written` names, relative to the folder `base` (relative to the root): its
    // path, else its last folders and name, else its name alone when only one file under `base`
    // has it. `alsoFound` receives the others when several have that name.
    std::optional<std::filesystem::path> find(const std::filesystem::path& base,
                                              std::string_view written,
                                              std::vector<std::filesystem::path>* alsoFound) const;

    // Files ending in one of the extensions (".ani"), case ignored; relative to the root, sorted.
    std::vector<std::filesystem::path> filesEndingIn(std::initializer_list<std::string_view> ext,
                                                     int maxDepth = kMaxDepth) const;

private:
    std::filesystem::path root_;
    std::vector<std::filesystem::path> files_;       // relative to root_
    std::multimap<std::string, std::size_t> byPath_; // folded relative path -> file
    std::string cutShort_;
};

enum class RoleStatus {
    Found,   // the file is there
    Missing, // the .inf names a file that is not there
    Unset,   // nothing is given for the role
};

struct RoleSource
{
    RoleStatus status = RoleStatus::Unset;
    std::filesystem::path file; // Found: the file (root / relative path)
    std::string named;          // as the .inf writes it, or the file's name
};

struct PackSource
{
    std::filesystem::path path; // an .inf, or the folder whose file names gave the roles
    bool inf = false;
    std::string encoding; // of an .inf
};

struct ThemePlan
{
    std::string name;       // from the .inf, else the folder's name
    std::size_t source = 0; // index into PackPlan::sources
    std::array<RoleSource, kRoleCount> roles;
    bool hasCursors() const;
};

struct PackPlan
{
    std::vector<PackSource> sources;
    std::vector<ThemePlan> themes;
    std::vector<std::filesystem::path> unmapped; // cursor files of the pack no theme uses
    std::vector<std::string> notes;              // what else a user should be told
};

// An .inf (one file), or a folder: its .inf files (else those in its sub-folders), else its
// cursor files by their names. One theme per scheme; two .inf files that install the same
// scheme make one. Throws ThemeError (CannotRead) when the path cannot be read.
PackPlan planPack(const std::filesystem::path& infOrFolder);

} // namespace ctheme
