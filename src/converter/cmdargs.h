#pragma once
// What the command line looks like on each platform.
#include <string>
#include <string_view>
#include <vector>

namespace nconv {

// The program's arguments (without its name) as UTF-8. On Windows they are read from the wide
// command line, so names outside the ANSI code page arrive intact.
std::vector<std::string> programArguments(int argc, char** argv);

// Characters that end a folder name in a path.
#ifdef _WIN32
inline constexpr std::string_view kPathSeparators = "\\/";
#else
inline constexpr std::string_view kPathSeparators = "/";
#endif

// Where the extension of the path's file name starts (its last dot), or the path's end when it
// has none. A dot that starts the name starts no extension (".ani" is a name).
inline std::size_t extensionStart(std::string_view path)
{
    const std::size_t slash = path.find_last_of(kPathSeparators);
    const std::size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
    const std::size_t dot = path.find_last_of('.');
    return dot == std::string_view::npos || dot <= nameStart ? path.size() : dot;
}

} // namespace nconv
