// A stand-in for the converter in tests of the process runner and the conversion run.
//
// Direct use: fake_nconvert [--stderr TEXT] [--sleep MS] [--hang PIDFILE] [--crash] [--exit N]
// acts out each option in order.
//
// As the converter (called with ... -o OUTPUT SOURCE): appends its tag and arguments to the file
// named by FAKE_NCONVERT_LOG, then reads the first line of SOURCE: "exit N", "fail REASON", "sleep
// MS", "crash" or "hang" act as above; anything else writes OUTPUT and exits 0.
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>
#ifdef _WIN32
#include <windows.h>
// The shell header builds on windows.h.
#include <shellapi.h>
#else
#include <unistd.h>
#endif

#ifndef FAKE_TAG
#define FAKE_TAG "fake"
#endif

namespace {

// File names are UTF-8 on every platform.
std::filesystem::path fsPath(const std::string& utf8)
{
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

#ifdef _WIN32
long processId()
{
    return static_cast<long>(::GetCurrentProcessId());
}

// The arguments as UTF-8, read from the wide command line like the real converter does.
std::vector<std::string> arguments(int, char**)
{
    int count = 0;
    LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 0; i < count; ++i) {
        const std::u8string text = std::filesystem::path(wide[i]).u8string();
        args.emplace_back(text.begin(), text.end());
    }
    ::LocalFree(wide);
    return args;
}
#else
long processId()
{
    return static_cast<long>(::getpid());
}

std::vector<std::string> arguments(int argc, char** argv)
{
    return {argv, argv + argc};
}
#endif

// The file this program was started from: a run may start it through an open file
// (/proc/self/fd/N), which names no file.
std::string startedFrom(const std::string& argv0)
{
#ifdef __linux__
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error)
        return self.string();
#endif
    return argv0;
}

[[noreturn]] void hang(const char* pidFile)
{
    if (pidFile && *pidFile) {
        std::ofstream(fsPath(pidFile)) << processId() << '\n';
    }
    for (;;)
        std::this_thread::sleep_for(std::chrono::seconds(1));
}

[[noreturn]] void crash()
{
#ifdef _WIN32
    // How an access violation ends a process, without a debugger being called in.
    ::TerminateProcess(::GetCurrentProcess(), 0xC0000005);
#endif
    std::signal(SIGSEGV, SIG_DFL);
    std::raise(SIGSEGV);
    std::abort();
}

void sleepFor(long ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

int direct(const std::vector<std::string>& argv)
{
    const std::size_t argc = argv.size();
    for (std::size_t i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1].c_str() : "";
        if (option == "--stderr") {
            std::fprintf(stderr, "%s\n", value);
            ++i;
        } else if (option == "--sleep") {
            sleepFor(std::atol(value));
            ++i;
        } else if (option == "--hang") {
            hang(value);
        } else if (option == "--crash") {
            crash();
        } else if (option == "--exit") {
            return std::atoi(value);
        }
    }
    return 0;
}

int asConverter(const std::vector<std::string>& argv)
{
    const std::size_t argc = argv.size();
    std::string output;
    for (std::size_t i = 1; i + 1 < argc; ++i) {
        if (argv[i] == "-o")
            output = argv[i + 1];
    }
    const std::string source = argv[argc - 1];
    if (const char* logPath = std::getenv("FAKE_NCONVERT_LOG")) {
        std::ofstream log(fsPath(logPath), std::ios::app | std::ios::binary);
        log << FAKE_TAG << '\t' << startedFrom(argv[0]);
        for (std::size_t i = 1; i < argc; ++i)
            log << '\t' << argv[i];
        log << '\n';
    }
    std::ifstream in(fsPath(source));
    if (!in) {
        std::fprintf(stderr, "%s: cannot open the file\n", source.c_str());
        return 1;
    }
    std::string directive;
    std::getline(in, directive);
    const auto rest = [&](std::size_t from) { return directive.substr(from); };
    if (directive.rfind("exit ", 0) == 0)
        return std::atoi(rest(5).c_str());
    if (directive.rfind("fail ", 0) == 0) {
        std::fprintf(stderr, "%s: %s\n", source.c_str(), rest(5).c_str());
        return 1;
    }
    if (directive.rfind("sleep ", 0) == 0)
        sleepFor(std::atol(rest(6).c_str()));
    if (directive == "crash")
        crash();
    if (directive == "hang")
        hang(std::getenv("FAKE_NCONVERT_PIDFILE"));
    std::ofstream out(fsPath(output), std::ios::binary);
    if (!out) {
        std::fprintf(stderr, "%s: cannot write %s\n", source.c_str(), output.c_str());
        return 1;
    }
    out << FAKE_TAG << " image of " << source << '\n';
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args = arguments(argc, argv);
    // The converter's options start with one dash, direct use's with two.
    if (args.size() > 1 && args[1].rfind("--", 0) != 0)
        return asConverter(args);
    return direct(args);
}
