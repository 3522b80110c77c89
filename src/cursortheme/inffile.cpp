#include "inffile.h"

#include "cursorroles.h"

#include <algorithm>

namespace ctheme {
namespace {

char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameText(std::string_view a, std::string_view b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](char x, char y) { return lower(x) == lower(y); });
}

std::string_view trimmed(std::string_view s)
{
    const std::size_t first = s.find_first_not_of(" \t\r\n\f\v");
    if (first == std::string_view::npos)
        return {};
    return s.substr(first, s.find_last_not_of(" \t\r\n\f\v") - first + 1);
}

// Quotes removed; inside quotes, "" stands for one quote.
std::string withoutQuotes(std::string_view s)
{
    std::string out;
    bool quoted = false;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '"')
            out += s[i];
        else if (quoted && i + 1 < s.size() && s[i + 1] == '"')
            out += '"', ++i;
        else
            quoted = !quoted;
    }
    return std::string(trimmed(out));
}

bool quotesPair(std::string_view s)
{
    return std::count(s.begin(), s.end(), '"') % 2 == 0;
}

// The line up to a ';' outside quotes. Where the quotes do not pair, the first ';' ends it.
std::string_view withoutComment(std::string_view line)
{
    if (!quotesPair(line))
        return line.substr(0, line.find(';'));
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"')
            quoted = !quoted;
        else if (line[i] == ';' && !quoted)
            return line.substr(0, i);
    }
    return line;
}

// Where `c` first stands outside quotes, or npos.
std::size_t findOutsideQuotes(std::string_view s, char c)
{
    bool quoted = false;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '"')
            quoted = !quoted;
        else if (s[i] == c && !quoted)
            return i;
    }
    return std::string_view::npos;
}

std::vector<std::string> splitFields(std::string_view s, bool honourQuotes)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    bool quoted = false;
    for (std::size_t i = 0; i <= s.size(); ++i) {
        if (i < s.size() && s[i] == '"' && honourQuotes)
            quoted = !quoted;
        if (i == s.size() || (s[i] == ',' && !quoted)) {
            fields.push_back(withoutQuotes(s.substr(start, i - start)));
            start = i + 1;
        }
    }
    return fields;
}

// Logical lines: a backslash ending a line (outside quotes) continues it on the next.
std::vector<std::pair<std::string, std::size_t>> logicalLines(std::string_view text)
{
    std::vector<std::pair<std::string, std::size_t>> lines;
    std::string pending;
    std::size_t pendingStart = 0, number = 0;
    std::size_t at = 0;
    while (at <= text.size()) {
        const std::size_t end = std::min(text.find_first_of("\r\n", at), text.size());
        std::string_view line = text.substr(at, end - at);
        ++number;
        at = end + 1;
        if (end < text.size() && text[end] == '\r' && at < text.size() && text[at] == '\n')
            ++at;
        const std::string_view content = trimmed(withoutComment(line));
        if (pending.empty())
            pendingStart = number;
        pending += content;
        if (!pending.empty() && pending.back() == '\\' && quotesPair(pending) && at < text.size()) {
            pending.pop_back();
            continue;
        }
        if (!pending.empty())
            lines.emplace_back(std::move(pending), pendingStart);
        pending.clear();
        if (end >= text.size())
            break;
    }
    return lines;
}

bool isStringsSection(std::string_view section)
{
    return sameText(section, "strings") ||
           (section.size() > 8 && sameText(section.substr(0, 8), "strings."));
}

// A registry root an AddReg line may name.
bool registryRoot(std::string_view field)
{
    for (std::string_view root : {"HKCU", "HKLM", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE"})
        if (sameText(field, root))
            return true;
    return false;
}

// A registry path folded for comparison: lower case, '\' for every '/', no doubled separators.
std::string foldedKey(std::string_view key)
{
    std::string out;
    for (char c : trimmed(key)) {
        const char l = c == '/' ? '\\' : lower(c);
        if (l == '\\' && !out.empty() && out.back() == '\\')
            continue;
        out += l;
    }
    while (!out.empty() && out.back() == '\\')
        out.pop_back();
    return out;
}

bool endsWith(std::string_view s, std::string_view tail)
{
    return s.size() >= tail.size() && s.substr(s.size() - tail.size()) == tail &&
           (s.size() == tail.size() || s[s.size() - tail.size() - 1] == '\\');
}

std::vector<std::string> splitPositions(const std::string& value)
{
    std::vector<std::string> files;
    for (const std::string& f : splitFields(value, false))
        files.push_back(f);
    return files;
}

// The value an AddReg line writes: the fifth field on. Values whose commas were not quoted
// arrive as several fields and are put back together.
std::string valueOf(const InfLine& line)
{
    std::string value;
    for (std::size_t i = 4; i < line.fields.size(); ++i)
        value += (i > 4 ? "," : "") + line.fields[i];
    return value;
}

} // namespace

InfFile::InfFile(std::string_view text)
{
    std::string section;
    for (auto& [content, number] : logicalLines(text)) {
        if (content.front() == '[') {
            const std::size_t close = content.find(']');
            section = trimmed(std::string_view(content).substr(
                1, close == std::string::npos ? std::string::npos : close - 1));
            continue;
        }
        if (section.empty())
            continue; // text before the first section is not read by Windows either
        InfLine line;
        line.section = section;
        line.number = number;
        line.quotesPaired = quotesPair(content);
        std::string_view rest = content;
        const std::size_t equals =
            line.quotesPaired ? findOutsideQuotes(rest, '=') : rest.find('=');
        // Only a key that looks like one: registry lines hold '=' in their values at times.
        if (equals != std::string_view::npos &&
            rest.substr(0, equals).find(',') == std::string_view::npos) {
            line.key = withoutQuotes(rest.substr(0, equals));
            rest = rest.substr(equals + 1);
        }
        line.fields = splitFields(rest, line.quotesPaired);
        line.text = withoutQuotes(rest);
        lines_.push_back(std::move(line));
    }
}

std::optional<std::string> InfFile::string(std::string_view name) const
{
    std::optional<std::string> localised;
    for (const InfLine& line : lines_) {
        if (!isStringsSection(line.section) || !sameText(line.key, name))
            continue;
        if (sameText(line.section, "strings"))
            return line.text;
        if (!localised)
            localised = line.text;
    }
    return localised;
}

std::string InfFile::expand(std::string_view text) const
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        const std::size_t close = text.find('%', i + 1);
        if (close == std::string_view::npos) {
            out += text.substr(i);
            break;
        }
        if (close == i + 1) {
            out += '%';
            i = close;
            continue;
        }
        if (const auto value = string(text.substr(i + 1, close - i - 1))) {
            out += *value;
            i = close;
            continue;
        }
        out += '%'; // not a string's name: the next '%' may open one
    }
    return out;
}

std::vector<InfScheme> cursorSchemes(const InfFile& inf)
{
    std::vector<InfScheme> schemes;
    InfScheme current; // set one role at a time
    bool anyRole = false;
    for (const InfLine& line : inf.lines()) {
        if (line.fields.size() < 3 || !line.key.empty() || !registryRoot(line.fields[0]))
            continue;
        const std::string key = foldedKey(inf.expand(line.fields[1]));
        const std::string name(trimmed(inf.expand(line.fields[2])));
        const std::string value = inf.expand(valueOf(line));
        if (endsWith(key, "cursors\\schemes")) {
            if (trimmed(value).empty())
                continue; // removes a scheme, as uninstall sections do
            InfScheme scheme{name, splitPositions(value), line.number};
            const bool known = std::any_of(schemes.begin(), schemes.end(), [&](const InfScheme& s) {
                return s.name == scheme.name && s.files == scheme.files;
            });
            if (!known)
                schemes.push_back(std::move(scheme));
        } else if (endsWith(key, "control panel\\cursors")) {
            if (name.empty()) {
                current.name = std::string(trimmed(value));
                continue;
            }
            const auto role = roleFromRegistryName(name);
            if (!role || trimmed(value).empty())
                continue;
            const auto at = static_cast<std::size_t>(*role);
            if (current.files.size() <= at)
                current.files.resize(at + 1);
            current.files[at] = std::string(trimmed(withoutQuotes(value)));
            if (!anyRole)
                current.line = line.number;
            anyRole = true;
        }
    }
    if (schemes.empty() && anyRole)
        schemes.push_back(std::move(current));
    for (InfScheme& scheme : schemes)
        if (scheme.name.empty())
            scheme.name = inf.string("SCHEME_NAME").value_or("");
    return schemes;
}

} // namespace ctheme
