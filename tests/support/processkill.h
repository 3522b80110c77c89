#pragma once
// Ends another process at once, the way a crash would end it.
#ifdef _WIN32
#include <windows.h>

inline void KillProcess(long pid)
{
    const HANDLE process = ::OpenProcess(PROCESS_TERMINATE, FALSE, static_cast<DWORD>(pid));
    if (!process)
        return;
    ::TerminateProcess(process, 0xC0000005); // the exit code of an access violation
    ::CloseHandle(process);
}
#else
#include <csignal>

inline void KillProcess(long pid)
{
    ::kill(static_cast<pid_t>(pid), SIGKILL);
}
#endif
