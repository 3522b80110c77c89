#pragma once
// Runs a program with an argument vector (no shell) and collects its exit status and output.
#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

struct ChildResult
{
    int exitCode = -1; // -1 when the child did not exit normally (signal, sanitizer abort)
    std::string out;
    std::string err;
};

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
