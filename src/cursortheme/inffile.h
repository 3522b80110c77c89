#pragma once
// Windows setup information (.inf) files, as cursor theme packs write them, read forgivingly: the
// text may come in any encoding (textencoding.h), quotes may be missing, and text may stand
// before the first section.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ctheme {

// One line of a section: comments removed, continued lines joined.
struct InfLine
{
    std::string section;             // as written, without brackets
    std::string key;                 // the part before an '=' outside quotes; empty if none
    std::vector<std::string> fields; // the rest split at commas, trimmed, quotes removed
    std::string text;                // the rest whole, trimmed, quotes removed
    // Whether the line's quotes pair up. Where they do not, the fields were split at every
    // comma, quotes ignored: a missing quote then costs nothing but the quote.
    bool quotesPaired = true;
    std::size_t number = 0; // line number in the file, from 1
};

class InfFile
{
public:
    explicit InfFile(std::string_view utf8Text);

    const std::vector<InfLine>& lines() const { return lines_; }

    // A [Strings] entry, the name without regard to case. Entries of localised sections
    // ([Strings.0409]) count when [Strings] lacks the name.
    std::optional<std::string> string(std::string_view name) const;

    // %name% replaced by its [Strings] entry and %% by %; any other %...% (%10%, the Windows
    // folder) is kept as it is.
    std::string expand(std::string_view text) const;

private:
    std::vector<InfLine> lines_;
};

// A cursor scheme the file installs: its name and one file per position, as written but expanded
// ("%10%\Cursors\Neon\arrow.ani"); "" for a position left empty.
struct InfScheme
{
    std::string name;
    std::vector<std::string> files;
    std::size_t line = 0;
};

// Every scheme the file writes under "...\Cursors\Schemes" (HKCU or HKLM), in file order, each
// name and list once. A file that sets the current cursors one by one under "Control
// Panel\Cursors" instead ("Arrow", "Help" ...) gives one scheme from those, named by that
// key's default value. A scheme without a name takes the [Strings] entry SCHEME_NAME.
std::vector<InfScheme> cursorSchemes(const InfFile& inf);

} // namespace ctheme
