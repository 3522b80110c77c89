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

inline bool ProcessIsAlive(long pid)
{
    const HANDLE process = ::OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(pid));
    if (!process)
        return false;
    const bool alive = ::WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    ::CloseHandle(process);
    return alive;
}
#else
#include <csignal>

inline void KillProcess(long pid)
{
    ::kill(static_cast<pid_t>(pid), SIGKILL);
}

inline bool ProcessIsAlive(long pid)
{
    return ::kill(static_cast<pid_t>(pid), 0) == 0;
}
#endif
