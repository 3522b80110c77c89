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

} // namespace nconv
