// A stand-in for the converter in tests of the process runner and the conversion run.
//
// Direct use: fake_nconvert [--stderr TEXT] [--stdout-bytes N] [--sleep MS] [--ignore-term]
// [--hang PIDFILE] [--crash] [--exit N] acts out each option in order.
//
// As the converter (called with ... -o OUTPUT SOURCE): appends its tag and arguments to the file
// named by FAKE_NCONVERT_LOG, then acts out the lines of SOURCE in order: "exit N", "fail REASON",
// "sleep MS", "crash" or "hang" act as above (hang adds its process id to FAKE_NCONVERT_PIDFILE);
// "stubborn" hangs and ignores being asked to end; "meet DIR N" waits until N converters have met
// in DIR (each leaves a file there), or fails after a minute alone; the first line that is none of
// these, or the end, writes OUTPUT and exits 0 (8 when it cannot be written, as the converter
// does).
//
// As the theme converter (called with ... -o OUTDIR -theme FOLDER, or --install for -o, which
// installs into $XDG_DATA_HOME/icons): the directives are the lines of FOLDER/fake-theme.txt, and
// two more: "theme NAME" makes the folder OUTDIR/NAME, or "NAME (2)" ... when that is taken, and
// reports it with one role; "say TEXT" writes TEXT on standard output with "\t" as a TAB. The
// end writes nothing more and exits 0.
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

#ifdef _WIN32
// Asked to end, the fake ends as the converter does: at once, as an interrupted console program.
// "Ignoring" the request is not listening for it.
bool g_ignoreEndRequest = false;

DWORD WINAPI endWhenAsked(void* event)
{
    if (::WaitForSingleObject(static_cast<HANDLE>(event), INFINITE) == WAIT_OBJECT_0 &&
        !g_ignoreEndRequest)
        ::ExitProcess(0xC000013A);
    return 0;
}

void listenForEndRequest()
{
    wchar_t name[256];
    const DWORD length = ::GetEnvironmentVariableW(L"NCONVERT_END_EVENT", name, 256);
    if (length == 0 || length >= 256)
        return;
    if (HANDLE event = ::OpenEventW(SYNCHRONIZE, FALSE, name))
        ::CloseHandle(::CreateThread(nullptr, 0, endWhenAsked, event, 0, nullptr));
}

void ignoreEndRequest()
{
    g_ignoreEndRequest = true;
}
#else
// A termination signal ends the fake by its default action.
void listenForEndRequest() {}

void ignoreEndRequest()
{
    std::signal(SIGTERM, SIG_IGN);
}
#endif

[[noreturn]] void hang(const char* pidFile)
{
    if (pidFile && *pidFile) {
        std::ofstream(fsPath(pidFile), std::ios::app) << processId() << '\n';
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
        } else if (option == "--stdout-bytes") {
            const std::string bytes(static_cast<std::size_t>(std::atol(value)), 'x');
            std::fwrite(bytes.data(), 1, bytes.size(), stdout);
            std::fflush(stdout);
            ++i;
        } else if (option == "--sleep") {
            sleepFor(std::atol(value));
            ++i;
        } else if (option == "--ignore-term") {
            ignoreEndRequest();
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

// Waits for the others: proof that several converters run at once.
bool meet(const std::string& folder, std::size_t count)
{
    namespace fs = std::filesystem;
    std::ofstream(fsPath(folder) / std::to_string(processId())) << '\n';
    for (int i = 0; i < 6000; ++i) {
        std::error_code error;
        const auto entries = fs::directory_iterator(fsPath(folder), error);
        if (!error &&
            static_cast<std::size_t>(std::distance(fs::begin(entries), fs::end(entries))) >= count)
            return true;
        sleepFor(10);
    }
    return false;
}

// A theme folder of its own in `parent`, numbered as the converter numbers one already there.
void makeTheme(const std::string& parent, const std::string& name, const std::string& pack)
{
    namespace fs = std::filesystem;
    fs::create_directories(fsPath(parent));
    for (int number = 1;; ++number) {
        const std::string taken = number == 1 ? name : name + " (" + std::to_string(number) + ")";
        const std::string folder = parent + "/" + taken;
        if (!fs::create_directory(fsPath(folder)))
            continue;
        std::ofstream(fsPath(folder) / "index.theme") << "[Icon Theme]\nName=" << taken << '\n';
        std::printf("theme\t%s\t%s\t%s\nrole\tArrow\t%s/arrow.cur\tdefault\n", folder.c_str(),
                    taken.c_str(), pack.c_str(), pack.c_str());
        return;
    }
}

std::string tabbed(std::string text)
{
    for (std::size_t at; (at = text.find("\\t")) != std::string::npos;)
        text.replace(at, 2, "\t");
    return text;
}

int asConverter(const std::vector<std::string>& argv)
{
    const std::size_t argc = argv.size();
    std::string output;
    bool install = false;
    for (std::size_t i = 1; i < argc; ++i) {
        if (argv[i] == "-o" && i + 1 < argc)
            output = argv[i + 1];
        install = install || argv[i] == "--install";
    }
    const std::string source = argv[argc - 1];
    const bool pack = std::filesystem::is_directory(fsPath(source));
    if (install) {
        // Never the tester's own themes.
        const char* data = std::getenv("XDG_DATA_HOME");
        if (!data || !*data) {
            std::fprintf(stderr, "%s: XDG_DATA_HOME is not set\n", source.c_str());
            return 2;
        }
        output = std::string(data) + "/icons";
    }
    if (const char* logPath = std::getenv("FAKE_NCONVERT_LOG")) {
        std::ofstream log(fsPath(logPath), std::ios::app | std::ios::binary);
        log << FAKE_TAG << '\t' << startedFrom(argv[0]);
        for (std::size_t i = 1; i < argc; ++i)
            log << '\t' << argv[i];
        log << '\n';
    }
    std::ifstream in(pack ? fsPath(source) / "fake-theme.txt" : fsPath(source));
    if (!in) {
        std::fprintf(stderr, "%s: cannot open the file\n", source.c_str());
        return 1;
    }
    // Each line of the source is one directive, acted out in order; text that is none ends them.
    for (std::string directive; std::getline(in, directive);) {
        const auto rest = [&](std::size_t from) { return directive.substr(from); };
        if (directive.rfind("exit ", 0) == 0)
            return std::atoi(rest(5).c_str());
        if (directive.rfind("fail ", 0) == 0) {
            std::fprintf(stderr, "%s: %s\n", source.c_str(), rest(5).c_str());
            return 1;
        }
        if (directive.rfind("sleep ", 0) == 0) {
            sleepFor(std::atol(rest(6).c_str()));
            continue;
        }
        if (pack && directive.rfind("theme ", 0) == 0) {
            makeTheme(output, rest(6), source);
            continue;
        }
        if (directive.rfind("say ", 0) == 0) {
            std::printf("%s\n", tabbed(rest(4)).c_str());
            continue;
        }
        if (directive == "crash")
            crash();
        if (directive == "hang")
            hang(std::getenv("FAKE_NCONVERT_PIDFILE"));
        if (directive == "stubborn") {
            ignoreEndRequest();
            hang(std::getenv("FAKE_NCONVERT_PIDFILE"));
        }
        if (directive.rfind("meet ", 0) == 0) {
            const std::string what = rest(5);
            const std::size_t space = what.rfind(' ');
            if (!meet(what.substr(0, space), std::stoul(what.substr(space + 1)))) {
                std::fprintf(stderr, "%s: no other converter came\n", source.c_str());
                return 1;
            }
            continue;
        }
        break;
    }
    if (pack)
        return 0;
    std::ofstream out(fsPath(output), std::ios::binary);
    if (!out) {
        std::fprintf(stderr, "%s: cannot write %s\n", source.c_str(), output.c_str());
        return 8; // the converter's code for an output it cannot write
    }
    out << FAKE_TAG << " image of " << source << '\n';
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args = arguments(argc, argv);
    listenForEndRequest();
    // The converter's options start with one dash (but --install), direct use's with two.
    if (args.size() > 1 && (args[1].rfind("--", 0) != 0 || args[1] == "--install"))
        return asConverter(args);
    return direct(args);
}
