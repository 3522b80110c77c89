#include "cmdargs.h"

#include <windows.h>
// The shell header builds on windows.h.
#include <shellapi.h>

namespace nconv {

std::vector<std::string> programArguments(int argc, char** argv)
{
    int count = 0;
    LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!wide)
        return {argv + (argc > 0 ? 1 : 0), argv + argc};
    std::vector<std::string> args;
    for (int i = 1; i < count; ++i) {
        const int length =
            ::WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        std::string text(length > 0 ? static_cast<std::size_t>(length) : 1, '\0');
        ::WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, text.data(), length, nullptr, nullptr);
        text.resize(text.size() - 1);
        args.push_back(std::move(text));
    }
    ::LocalFree(wide);
    return args;
}

} // namespace nconv
