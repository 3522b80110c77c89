#include "themecommand.h"

#include "fileio.h"
#include "themeerror.h"
#include "themepack.h"
#include "themewriter.h"
#include "xcursoroutput.h"

#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <type_traits>

namespace fs = std::filesystem;

namespace nconv {
namespace {

using ctheme::CursorRole;
using ctheme::RoleStatus;
using ctheme::ThemeError;
using ctheme::ThemePlan;

// One field of a report line: nothing in it can end the field or the line.
std::string field(std::string_view text)
{
    std::string out;
    for (unsigned char c : text)
        out += (c < 0x20 || c == 0x7F) ? '?' : static_cast<char>(c);
    return out;
}

template <typename T> std::string fieldOf(const T& value)
{
    if constexpr (std::is_same_v<T, fs::path>)
        return field(ctheme::utf8Of(value.lexically_normal().make_preferred()));
    else
        return field(std::string_view(value));
}

class Report
{
public:
    explicit Report(std::FILE* out) : out_(out) {}
    template <typename... Fields> void line(std::string_view kind, const Fields&... fields)
    {
        std::string text(kind);
        ((text += '\t', text += fieldOf(fields)), ...);
        text += '\n';
        std::fputs(text.c_str(), out_);
    }

private:
    std::FILE* out_;
};

struct Failure
{
    std::string reason;
    int exitCode = kExitFailed;
};

// Every cursor file of a pack decoded once and converted once per set of sizes, however many
// roles and schemes share it.
class PackConverter
{
public:
    explicit PackConverter(std::vector<std::uint32_t> sizes) : askedSizes_(std::move(sizes)) {}

    // The sizes the theme's cursors all get: those asked for, else every size any of them
    // would have alone, so the cursors of one theme match at every size a desktop asks for.
    std::vector<std::uint32_t> sizesFor(const ThemePlan& theme)
    {
        if (!askedSizes_.empty())
            return askedSizes_;
        std::vector<std::uint32_t> sizes;
        for (const ctheme::RoleSource& role : theme.roles)
            if (role.status == RoleStatus::Found)
                if (const SizedAnimation* a = decoded(role.file)) {
                    const std::vector<std::uint32_t> own = defaultSizes(*a);
                    sizes.insert(sizes.end(), own.begin(), own.end());
                }
        std::sort(sizes.begin(), sizes.end());
        sizes.erase(std::unique(sizes.begin(), sizes.end()), sizes.end());
        if (sizes.size() > kMaxXcursorSizes)
            sizes.erase(sizes.begin(), sizes.end() - kMaxXcursorSizes); // the largest matter most
        return sizes;
    }

    // The Xcursor file, or why there is none.
    const std::vector<std::uint8_t>*
    convert(const fs::path& file, const std::vector<std::uint32_t>& sizes, Failure& failure)
    {
        const auto key = std::make_pair(file, sizes);
        auto done = converted_.find(key);
        if (done == converted_.end()) {
            std::optional<std::vector<std::uint8_t>> bytes;
            if (const SizedAnimation* a = decoded(file)) {
                try {
                    bytes = encodeXcursorFile(*a, sizes);
                } catch (const std::bad_alloc&) {
                    failures_[file] = {"not enough memory to convert the file", kExitFailed};
                } catch (const std::exception& e) {
                    failures_[file] = {e.what(), exitCodeFor(e)};
                }
            }
            done = converted_.emplace(key, std::move(bytes)).first;
        }
        if (!done->second) {
            failure = failures_.at(file);
            return nullptr;
        }
        return &*done->second;
    }

private:
    const SizedAnimation* decoded(const fs::path& file)
    {
        auto at = decoded_.find(file);
        if (at == decoded_.end()) {
            std::unique_ptr<SizedAnimation> animation;
            try {
                const SourceFile source(ctheme::utf8Of(file), kMaxSourceBytes);
                animation = std::make_unique<SizedAnimation>(decodeSizedAnimation(source.bytes()));
            } catch (const std::bad_alloc&) {
                failures_[file] = {"not enough memory to read the file", kExitFailed};
            } catch (const std::exception& e) {
                failures_[file] = {e.what(), exitCodeFor(e)};
            }
            at = decoded_.emplace(file, std::move(animation)).first;
        }
        return at->second.get();
    }

    std::vector<std::uint32_t> askedSizes_;
    std::map<fs::path, std::unique_ptr<SizedAnimation>> decoded_;
    std::map<std::pair<fs::path, std::vector<std::uint32_t>>,
             std::optional<std::vector<std::uint8_t>>>
        converted_;
    std::map<fs::path, Failure> failures_;
};

struct RoleOutcome
{
    const std::vector<std::uint8_t>* xcursor = nullptr;
    Failure failure;
};

void reportRoles(Report& report, const ThemePlan& theme,
                 const std::array<RoleOutcome, ctheme::kRoleCount>& outcomes)
{
    for (std::size_t i = 0; i < ctheme::kRoleCount; ++i) {
        const auto role = static_cast<CursorRole>(i);
        const ctheme::RoleSource& r = theme.roles[i];
        const std::string_view name = ctheme::roleName(role);
        if (r.status == RoleStatus::Unset)
            report.line("unset", name);
        else if (r.status == RoleStatus::Missing)
            report.line("missing", name, r.named);
        else if (!outcomes[i].xcursor)
            report.line("failed", name, r.file, outcomes[i].failure.reason);
        else
            report.line("role", name, r.file, ctheme::roleInfo(role).linuxNames[0]);
    }
}

// Writes one theme into `parent`. Asked to end part way, the half-made theme goes with the
// builder.
ctheme::ThemeFolderBuilder::Finished
writeTheme(const fs::path& parent, const ThemePlan& theme, const std::string& comment,
           const std::array<RoleOutcome, ctheme::kRoleCount>& outcomes, const DeferredEnd& end)
{
    ctheme::ThemeFolderBuilder builder(parent);
    for (std::size_t i = 0; i < ctheme::kRoleCount; ++i) {
        end.check();
        if (outcomes[i].xcursor)
            builder.addCursor(static_cast<CursorRole>(i), *outcomes[i].xcursor);
    }
    end.check();
    return builder.finish(theme.name, comment);
}

int failWith(std::FILE* err, const std::string& pack, const std::string& reason, int code)
{
    const std::string line = "nconvert: " + field(pack) + ": " + field(reason) + "\n";
    std::fputs(line.c_str(), err);
    return code;
}

int exitCodeOf(const ThemeError& e)
{
    switch (e.kind()) {
    case ThemeError::Kind::CannotRead:
        return kExitCannotRead;
    case ThemeError::Kind::CannotWrite:
        return kExitCannotWrite;
    case ThemeError::Kind::NoCursors:
        return kExitUnsupported;
    case ThemeError::Kind::NotHere:
        break;
    }
    return kExitUsage;
}

} // namespace

void checkThemeOptions(const Options& options, bool haveFormat, bool haveSource)
{
    if (options.theme.empty())
        throw UsageError("--install needs -theme");
    if (haveFormat)
        throw UsageError("-theme writes Linux cursor themes; -out does not go with it");
    if (haveSource)
        throw UsageError("-theme takes the theme pack as its value; no other source goes with it");
    if (options.frames || options.strip != Strip::None || options.info || options.fitSize != 0 ||
        options.uncompressed || options.qualityGiven)
        throw UsageError("-theme takes only -sizes, -o and --install");
    if (options.overwrite)
        throw UsageError("-theme never replaces a theme (a theme of that name is numbered), so "
                         "-overwrite does not go with it");
    if (options.install && !ctheme::themesInstallHere())
        throw UsageError("--install puts themes where Linux desktops read them; on this system, "
                         "copy the theme folder to ~/.local/share/icons of the Linux machine");
    if (options.output.empty() && !options.install)
        throw UsageError("-theme needs -o OUTDIR, the folder the themes go in (or --install)");
}

int runThemeCommand(const Options& options, std::FILE* out, std::FILE* err)
{
    Report report(out);
    // Stop asks the converter to end; themes are folders of many files, undone on the way out.
    DeferredEnd end;
    try {
        const fs::path installTo = options.install ? ctheme::userThemesFolder() : fs::path();
        const ctheme::PackPlan plan = ctheme::planPack(ctheme::pathFromUtf8(options.theme));
        for (const ctheme::PackSource& source : plan.sources) {
            if (source.inf)
                report.line("source", source.path, "inf", source.encoding);
            else
                report.line("source", source.path, "names");
        }
        PackConverter converter(options.sizes);
        int written = 0;
        std::optional<Failure> firstFailure;
        bool anyMissing = false;
        for (const ThemePlan& theme : plan.themes) {
            const fs::path& source = plan.sources[theme.source].path;
            const std::vector<std::uint32_t> sizes = converter.sizesFor(theme);
            std::array<RoleOutcome, ctheme::kRoleCount> outcomes;
            bool anyCursor = false;
            for (std::size_t i = 0; i < ctheme::kRoleCount; ++i) {
                if (theme.roles[i].status != RoleStatus::Found)
                    continue;
                end.check();
                outcomes[i].xcursor =
                    converter.convert(theme.roles[i].file, sizes, outcomes[i].failure);
                anyCursor = anyCursor || outcomes[i].xcursor;
                if (!outcomes[i].xcursor && !firstFailure)
                    firstFailure = outcomes[i].failure;
            }
            if (anyCursor) {
                const std::string comment = "Windows cursors from " +
                                            ctheme::utf8Of(source.filename()) +
                                            ", made a Linux theme by Corvenda";
                ctheme::ThemeFolderBuilder::Finished made, installed;
                if (!options.output.empty())
                    made = writeTheme(ctheme::pathFromUtf8(options.output), theme, comment,
                                      outcomes, end);
                if (options.install)
                    installed = writeTheme(installTo, theme, comment, outcomes, end);
                if (made.folder.empty())
                    made = installed;
                report.line("theme", made.folder, made.name, source);
                reportRoles(report, theme, outcomes);
                if (options.install) {
                    report.line("installed", installed.folder);
                    const fs::path link = ctheme::linkForOlderReaders(installed.folder);
                    if (!link.empty())
                        report.line("linked", link);
                }
                ++written;
                continue;
            }
            report.line("skipped", theme.name, source, "no cursor of it could be converted");
            reportRoles(report, theme, outcomes);
            anyMissing = anyMissing || std::any_of(theme.roles.begin(), theme.roles.end(),
                                                   [](const ctheme::RoleSource& r) {
                                                       return r.status == RoleStatus::Missing;
                                                   });
        }
        for (const fs::path& file : plan.unmapped)
            report.line("unmapped", file);
        for (const std::string& note : plan.notes)
            report.line("note", note);
        std::fflush(out);
        if (written > 0) {
            end.complete();
            return kExitOk;
        }
        if (firstFailure)
            return failWith(err, options.theme, firstFailure->reason, firstFailure->exitCode);
        if (anyMissing)
            return failWith(err, options.theme, "none of the files its .inf names is in the pack",
                            kExitCannotRead);
        return failWith(err, options.theme,
                        "no cursor of a Windows role found: no .inf names one and no file is "
                        "named like one (Arrow.cur, busy.ani, Normal Select.ani ...)",
                        kExitUnsupported);
    } catch (const EndRequested&) {
        // Ends as asked when `end` goes, with what it made undone.
        std::fflush(out);
        return kExitFailed;
    } catch (const ThemeError& e) {
        std::fflush(out);
        return failWith(err, options.theme, e.what(), exitCodeOf(e));
    } catch (const std::bad_alloc&) {
        std::fflush(out);
        return failWith(err, options.theme, "not enough memory to make the theme", kExitFailed);
    } catch (const std::exception& e) {
        std::fflush(out);
        return failWith(err, options.theme, e.what(), exitCodeFor(e));
    }
}

} // namespace nconv
