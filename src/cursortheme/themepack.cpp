#include "themepack.h"

#include "inffile.h"
#include "textencoding.h"
#include "themeerror.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>
#include <tuple>

namespace fs = std::filesystem;

namespace ctheme {
namespace {

// No .inf of a cursor pack comes near this.
constexpr std::uintmax_t kMaxInfBytes = 4 * 1024 * 1024;

std::string folded(const fs::path& path)
{
    const std::u8string text = path.generic_u8string();
    return foldCase(std::string(text.begin(), text.end()));
}

bool endsWithFolded(const std::string& foldedName, std::string_view ext)
{
    return foldedName.size() > ext.size() &&
           foldedName.compare(foldedName.size() - ext.size(), ext.size(), ext) == 0;
}

// The parts of a path an .inf writes that name folders of the pack: not the drive, not %10%
// (the Windows folder) or any other number left unexpanded, not "." or "..".
std::vector<std::string> packParts(std::string_view written)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= written.size(); ++i) {
        if (i < written.size() && written[i] != '\\' && written[i] != '/')
            continue;
        std::string part(written.substr(start, i - start));
        start = i + 1;
        const bool folderNumber = part.size() >= 2 && part.front() == '%' && part.back() == '%';
        const bool drive = parts.empty() && part.size() == 2 && part[1] == ':';
        if (part.empty() || part == "." || part == ".." || folderNumber || drive)
            continue;
        parts.push_back(std::move(part));
    }
    return parts;
}

std::string displayName(std::string_view written)
{
    const std::vector<std::string> parts = packParts(written);
    return parts.empty() ? std::string(written) : parts.back();
}

// The name a folder is known by, also for "." or "pack/".
std::string folderName(const fs::path& folder)
{
    std::error_code ignored;
    fs::path absolute = fs::absolute(folder, ignored).lexically_normal();
    if (absolute.filename().empty())
        absolute = absolute.parent_path();
    return utf8Of(absolute.filename());
}

std::vector<std::uint8_t> readInf(const fs::path& path)
{
    std::error_code error;
    const std::uintmax_t size = fs::file_size(path, error);
    if (error)
        throw ThemeError(ThemeError::Kind::CannotRead,
                         "cannot read " + utf8Of(path) + ": " + error.message());
    if (size > kMaxInfBytes)
        throw ThemeError(ThemeError::Kind::CannotRead,
                         "cannot read " + utf8Of(path) + ": too large for an .inf file");
    std::ifstream in(path, std::ios::binary);
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
    if (!in.good() && !in.eof())
        throw ThemeError(ThemeError::Kind::CannotRead, "cannot read " + utf8Of(path));
    return bytes;
}

bool sameRoles(const ThemePlan& a, const ThemePlan& b)
{
    for (std::size_t i = 0; i < kRoleCount; ++i)
        if (a.roles[i].status != b.roles[i].status || a.roles[i].file != b.roles[i].file)
            return false;
    return true;
}

class Planner
{
public:
    Planner(PackPlan& plan, const PackFolder& folder) : plan_(plan), folder_(folder) {}

    void fromInf(const fs::path& relativeInf)
    {
        const fs::path path = folder_.root() / relativeInf;
        const std::vector<std::uint8_t> bytes = readInf(path);
        const TextEncoding encoding = detectEncoding(bytes);
        plan_.sources.push_back({path, true, std::string(encodingName(encoding))});
        const std::size_t source = plan_.sources.size() - 1;
        const InfFile inf(decodeText(bytes, encoding));
        const fs::path base = relativeInf.parent_path();
        const std::vector<InfScheme> schemes = cursorSchemes(inf);
        if (schemes.empty())
            plan_.notes.push_back(utf8Of(path) + ": installs no cursor scheme");
        for (const InfScheme& scheme : schemes) {
            ThemePlan theme;
            theme.name = scheme.name.empty() ? folderName(folder_.root() / base) : scheme.name;
            theme.source = source;
            const std::size_t used = std::min(scheme.files.size(), kRoleCount);
            for (std::size_t i = 0; i < used; ++i)
                theme.roles[i] = resolve(base, scheme.files[i]);
            if (scheme.files.size() > kRoleCount)
                plan_.notes.push_back(
                    utf8Of(path) + ": scheme \"" + theme.name + "\" lists " +
                    std::to_string(scheme.files.size()) + " files; Windows gives no cursor to " +
                    "positions past " + std::to_string(kRoleCount) + ", so the last " +
                    std::to_string(scheme.files.size() - kRoleCount) + " are left out");
            add(std::move(theme), path);
        }
    }

    void fromFileNames()
    {
        plan_.sources.push_back({folder_.root(), false, {}});
        ThemePlan theme;
        theme.name = folderName(folder_.root());
        theme.source = plan_.sources.size() - 1;
        std::array<std::vector<fs::path>, kRoleCount> candidates;
        for (const fs::path& file : folder_.filesEndingIn({".ani", ".cur"}, 0))
            if (const auto role = roleFromFileName(utf8Of(file.filename())))
                candidates[static_cast<std::size_t>(*role)].push_back(file);
        for (std::size_t i = 0; i < kRoleCount; ++i) {
            auto& files = candidates[i];
            if (files.empty())
                continue;
            // The registry's own name first, then animated before still, then by name.
            const auto rank = [&](const fs::path& f) {
                const std::string name = folded(f.stem());
                const bool registry = name == foldCase(roleTable()[i].registryName);
                return std::make_tuple(!registry, !endsWithFolded(folded(f), ".ani"), folded(f));
            };
            std::sort(files.begin(), files.end(),
                      [&](const fs::path& a, const fs::path& b) { return rank(a) < rank(b); });
            theme.roles[i] = {RoleStatus::Found, folder_.root() / files.front(),
                              utf8Of(files.front().filename())};
            for (std::size_t k = 1; k < files.size(); ++k)
                plan_.notes.push_back(utf8Of(folder_.root() / files[k]) + " is also named for " +
                                      std::string(roleTable()[i].registryName) + "; " +
                                      utf8Of(files.front().filename()) + " was taken");
        }
        if (theme.hasCursors())
            add(std::move(theme), folder_.root());
    }

private:
    RoleSource resolve(const fs::path& base, const std::string& written)
    {
        if (written.find_first_not_of(" \t") == std::string::npos)
            return {};
        std::vector<fs::path> several;
        if (const auto file = folder_.find(base, written, &several))
            return {RoleStatus::Found, *file, displayName(written)};
        if (several.size() > 1) {
            std::string list;
            for (const fs::path& f : several)
                list += (list.empty() ? "" : ", ") + utf8Of(f);
            plan_.notes.push_back("\"" + written + "\" could be any of " + list +
                                  "; none was taken");
        }
        return {RoleStatus::Missing, {}, displayName(written)};
    }

    void add(ThemePlan theme, const fs::path& from)
    {
        for (const ThemePlan& made : plan_.themes)
            if (made.name == theme.name && sameRoles(made, theme)) {
                plan_.notes.push_back(utf8Of(from) + " installs the same scheme \"" + theme.name +
                                      "\" as " + utf8Of(plan_.sources[made.source].path) +
                                      "; it is made once");
                return;
            }
        plan_.themes.push_back(std::move(theme));
    }

    PackPlan& plan_;
    const PackFolder& folder_;
};

} // namespace

fs::path pathFromUtf8(std::string_view utf8)
{
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string utf8Of(const fs::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

PackFolder::PackFolder(fs::path root) : root_(std::move(root))
{
    std::error_code error;
    if (!fs::is_directory(root_, error))
        throw ThemeError(ThemeError::Kind::CannotRead,
                         "cannot read " + utf8Of(root_) + ": " +
                             (error ? error.message() : std::string("not a folder")));
    fs::recursive_directory_iterator walk(root_, fs::directory_options::skip_permission_denied,
                                          error);
    if (error)
        throw ThemeError(ThemeError::Kind::CannotRead,
                         "cannot read " + utf8Of(root_) + ": " + error.message());
    for (; walk != fs::recursive_directory_iterator(); walk.increment(error)) {
        if (error) {
            cutShort_ = "cannot read all of " + utf8Of(root_) + " (" + error.message() +
                        "); only what was read is used";
            break;
        }
        if (walk.depth() >= kMaxDepth)
            walk.disable_recursion_pending();
        std::error_code kind;
        if (!walk->is_regular_file(kind))
            continue;
        if (files_.size() >= kMaxFiles) {
            cutShort_ = utf8Of(root_) + " holds more than " + std::to_string(kMaxFiles) +
                        " files; only the first were looked at";
            break;
        }
        files_.push_back(walk->path().lexically_relative(root_));
    }
    std::sort(files_.begin(), files_.end());
    for (std::size_t i = 0; i < files_.size(); ++i)
        byPath_.emplace(folded(files_[i]), i);
}

std::optional<fs::path> PackFolder::find(const fs::path& base, std::string_view written,
                                         std::vector<fs::path>* alsoFound) const
{
    const std::vector<std::string> parts = packParts(written);
    if (parts.empty())
        return std::nullopt;
    // The whole path, then ever fewer of its last parts, relative to the .inf's folder.
    for (std::size_t first = 0; first < parts.size(); ++first) {
        fs::path relative = base;
        for (std::size_t i = first; i < parts.size(); ++i)
            relative /= pathFromUtf8(parts[i]);
        const auto [begin, end] = byPath_.equal_range(folded(relative));
        if (begin == end)
            continue;
        for (auto hit = begin; hit != end; ++hit)
            if (files_[hit->second] == relative)
                return root_ / files_[hit->second]; // the exact spelling, when two differ in case
        return root_ / files_[begin->second];
    }
    // The name alone, anywhere below that folder, when only one file has it.
    const std::string name = foldCase(parts.back());
    const std::string under = folded(base);
    std::vector<fs::path> found;
    for (const fs::path& file : files_) {
        const std::string path = folded(file);
        if (folded(file.filename()) == name && (under.empty() || path.rfind(under + "/", 0) == 0))
            found.push_back(root_ / file);
    }
    if (found.size() == 1)
        return found.front();
    if (alsoFound)
        *alsoFound = found;
    return std::nullopt;
}

std::vector<fs::path> PackFolder::filesEndingIn(std::initializer_list<std::string_view> ext,
                                                int maxDepth) const
{
    std::vector<fs::path> out;
    for (const fs::path& file : files_) {
        const std::string name = folded(file.filename());
        const auto depth = std::distance(file.begin(), file.end()) - 1;
        if (depth <= maxDepth && std::any_of(ext.begin(), ext.end(), [&](std::string_view e) {
                return endsWithFolded(name, e);
            }))
            out.push_back(file);
    }
    return out;
}

bool ThemePlan::hasCursors() const
{
    return std::any_of(roles.begin(), roles.end(),
                       [](const RoleSource& r) { return r.status == RoleStatus::Found; });
}

PackPlan planPack(const fs::path& infOrFolder)
{
    PackPlan plan;
    std::error_code error;
    const fs::file_status status = fs::status(infOrFolder, error);
    if (!fs::exists(status))
        throw ThemeError(ThemeError::Kind::CannotRead,
                         "cannot read " + utf8Of(infOrFolder) + ": no such file or folder");
    const bool oneInf = !fs::is_directory(status);
    fs::path root = oneInf ? infOrFolder.parent_path() : infOrFolder;
    if (root.empty())
        root = ".";
    const PackFolder folder(root);
    if (!folder.cutShort().empty())
        plan.notes.push_back(folder.cutShort());
    Planner planner(plan, folder);
    std::vector<fs::path> infs;
    if (oneInf) {
        infs.push_back(infOrFolder.filename());
    } else {
        infs = folder.filesEndingIn({".inf"}, 0);
        // A folder of cursors without an .inf is a pack by its cursors' names; one without
        // cursors is often an unpacked archive whose pack lies a folder or two down.
        if (infs.empty() && folder.filesEndingIn({".ani", ".cur"}, 0).empty())
            infs = folder.filesEndingIn({".inf"}, 2);
    }
    for (const fs::path& inf : infs) {
        if (oneInf) {
            planner.fromInf(inf);
            continue;
        }
        try {
            planner.fromInf(inf);
        } catch (const ThemeError& e) {
            plan.notes.push_back(e.what()); // one unreadable .inf of several is told, not fatal
        }
    }
    if (plan.themes.empty()) {
        if (!infs.empty())
            plan.notes.push_back("no cursor scheme in the .inf files; the cursors are taken by "
                                 "their file names");
        planner.fromFileNames();
    }
    // Packs of their own further down are not this pack's: their cursors are not its leftovers.
    std::vector<fs::path> ownPacks;
    if (infs.empty())
        for (const fs::path& inf : folder.filesEndingIn({".inf"})) {
            if (inf.has_parent_path() &&
                std::find(ownPacks.begin(), ownPacks.end(), inf.parent_path()) == ownPacks.end()) {
                ownPacks.push_back(inf.parent_path());
                plan.notes.push_back(utf8Of(root / inf.parent_path()) +
                                     " is a theme pack of its own (" + utf8Of(inf.filename()) +
                                     "), not part of this one");
            }
        }
    const auto inOwnPack = [&](const fs::path& file) {
        return std::any_of(ownPacks.begin(), ownPacks.end(), [&](const fs::path& pack) {
            return std::mismatch(pack.begin(), pack.end(), file.begin(), file.end()).first ==
                   pack.end();
        });
    };
    std::set<fs::path> used;
    for (const ThemePlan& theme : plan.themes)
        for (const RoleSource& role : theme.roles)
            if (role.status == RoleStatus::Found)
                used.insert(role.file);
    for (const fs::path& file : folder.filesEndingIn({".ani", ".cur"}))
        if (!used.count(root / file) && !inOwnPack(file))
            plan.unmapped.push_back(root / file);
    return plan;
}

} // namespace ctheme
