// A stand-in for the converter in tests of the process runner and the conversion run.
//
// Direct use: fake_nconvert [--stderr TEXT] [--sleep MS] [--hang PIDFILE] [--crash] [--exit N]
// acts out each option in order.
//
// As the converter (called with -q ... SOURCE): appends its tag and arguments to the file named
// by FAKE_NCONVERT_LOG, then reads the first line of SOURCE: "exit N", "fail REASON",
// "sleep MS", "crash" or "hang" act as above; anything else writes OUTPUT and exits 0.
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#ifndef FAKE_TAG
#define FAKE_TAG "fake"
#endif

namespace {

[[noreturn]] void hang(const char* pidFile)
{
    if (pidFile && *pidFile) {
        std::ofstream(pidFile) << ::getpid() << '\n';
    }
    for (;;)
        std::this_thread::sleep_for(std::chrono::seconds(1));
}

[[noreturn]] void crash()
{
    std::signal(SIGSEGV, SIG_DFL);
    std::raise(SIGSEGV);
    std::abort();
}

void sleepFor(long ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

int direct(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : "";
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

int asConverter(int argc, char** argv)
{
    std::string output;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "-o") == 0)
            output = argv[i + 1];
    }
    const std::string source = argv[argc - 1];
    if (const char* logPath = std::getenv("FAKE_NCONVERT_LOG")) {
        std::ofstream log(logPath, std::ios::app);
        log << FAKE_TAG << '\t' << argv[0];
        for (int i = 1; i < argc; ++i)
            log << '\t' << argv[i];
        log << '\n';
    }
    std::ifstream in(source);
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
    std::ofstream out(output, std::ios::binary);
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
    if (argc > 1 && std::strcmp(argv[1], "-q") == 0)
        return asConverter(argc, argv);
    return direct(argc, argv);
}
