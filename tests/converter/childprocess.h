#pragma once
// Runs a program with an argument vector (no shell) and collects its exit status and output.
#include <cstdio>
#include <string>
#include <vector>

struct ChildResult
{
    int exitCode = -1; // -1 when the child did not exit normally (signal, sanitizer abort)
    std::string out;
    std::string err;
};

#ifdef _WIN32
#include <windows.h>

inline std::wstring widen(const std::string& text)
{
    std::wstring wide(text.size(), L'\0');
    wide.resize(static_cast<std::size_t>(
        ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                              static_cast<int>(wide.size()))));
    return wide;
}

// One argument as the C runtime reads it back: quoted, with backslashes doubled only where they
// come before a quote.
inline std::wstring quoted(const std::wstring& text)
{
    std::wstring line = L"\"";
    std::size_t backslashes = 0;
    for (wchar_t c : text) {
        if (c == L'"')
            line.append(backslashes + 1, L'\\');
        backslashes = c == L'\\' ? backslashes + 1 : 0;
        line += c;
    }
    line.append(backslashes, L'\\');
    return line + L'"';
}

inline std::string readBack(HANDLE file)
{
    std::string text;
    ::SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    char buffer[4096];
    DWORD n = 0;
    while (::ReadFile(file, buffer, sizeof buffer, &n, nullptr) && n > 0)
        text.append(buffer, n);
    ::CloseHandle(file);
    return text;
}

inline HANDLE inheritableTempFile()
{
    wchar_t folder[MAX_PATH + 1];
    wchar_t name[MAX_PATH + 1];
    ::GetTempPathW(MAX_PATH + 1, folder);
    ::GetTempFileNameW(folder, L"out", 0, name);
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return ::CreateFileW(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         &inherit, CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
}

inline ChildResult runChild(const std::string& program, const std::vector<std::string>& args)
{
    std::wstring line = quoted(widen(program));
    for (const std::string& a : args)
        line += L' ' + quoted(widen(a));
    const HANDLE out = inheritableTempFile();
    const HANDLE err = inheritableTempFile();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    ChildResult result;
    if (::CreateProcessW(widen(program).c_str(), line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                         nullptr, &startup, &process)) {
        ::WaitForSingleObject(process.hProcess, INFINITE);
        DWORD code = 0;
        ::GetExitCodeProcess(process.hProcess, &code);
        // Exception codes are how a crash ends a process here.
        result.exitCode = code >= 0xC0000000u ? -1 : static_cast<int>(code);
        ::CloseHandle(process.hProcess);
        ::CloseHandle(process.hThread);
    }
    result.out = readBack(out);
    result.err = readBack(err);
    return result;
}

#else
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

inline std::string readAll(int fd)
{
    std::string text;
    char buffer[4096];
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) > 0)
        text.append(buffer, static_cast<std::size_t>(n));
    return text;
}

inline ChildResult runChild(const std::string& program, const std::vector<std::string>& args)
{
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    // Output goes to temporary files, so a chatty child can never fill a pipe and stall.
    FILE* outFile = std::tmpfile();
    FILE* errFile = std::tmpfile();
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fileno(outFile), 1);
    posix_spawn_file_actions_adddup2(&actions, fileno(errFile), 2);
    pid_t pid = 0;
    ChildResult result;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    for (auto [file, text] : {std::pair{outFile, &result.out}, std::pair{errFile, &result.err}}) {
        lseek(fileno(file), 0, SEEK_SET);
        *text = readAll(fileno(file));
        std::fclose(file);
    }
    return result;
}

#endif
