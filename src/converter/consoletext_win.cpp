#include "consoletext.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <string>
#include <windows.h>

namespace nconv {
namespace {

struct ConsoleRelay
{
    int fd = -1;
    HANDLE pipe = nullptr; // the end the relay reads
    HANDLE console = nullptr;
    HANDLE thread = nullptr;
};

ConsoleRelay relays[2];

bool isConsole(HANDLE handle)
{
    DWORD mode = 0;
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode);
}

// How many bytes at the start of text form whole UTF-8 sequences; the rest waits for the next read.
std::size_t wholeSequences(const char* text, std::size_t size)
{
    for (std::size_t back = 1; back <= 3 && back <= size; ++back) {
        const auto byte = static_cast<unsigned char>(text[size - back]);
        if ((byte & 0xC0) == 0x80)
            continue;
        const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        return length > back ? size - back : size;
    }
    return size;
}

void writeWide(HANDLE console, const char* text, std::size_t size)
{
    if (size == 0)
        return;
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, text, static_cast<int>(size), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text, static_cast<int>(size), wide.data(), length);
    DWORD written = 0;
    ::WriteConsoleW(console, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
}

DWORD WINAPI relayToConsole(void* parameter)
{
    const ConsoleRelay& relay = *static_cast<ConsoleRelay*>(parameter);
    char buffer[4096];
    std::size_t kept = 0;
    DWORD read = 0;
    while (::ReadFile(relay.pipe, buffer + kept, static_cast<DWORD>(sizeof buffer - kept), &read,
                      nullptr) &&
           read > 0) {
        const std::size_t size = kept + read;
        const std::size_t whole = wholeSequences(buffer, size);
        writeWide(relay.console, buffer, whole);
        kept = size - whole;
        std::memmove(buffer, buffer + whole, kept);
    }
    writeWide(relay.console, buffer, kept);
    return 0;
}

// Closing the streams' pipe ends lets each relay read to the end; the process waits for them so
// that no last line is lost.
void finishRelays()
{
    std::fflush(stdout);
    std::fflush(stderr);
    for (ConsoleRelay& relay : relays) {
        if (!relay.thread)
            continue;
        ::_close(relay.fd);
        ::WaitForSingleObject(relay.thread, INFINITE);
    }
}

bool startRelay(ConsoleRelay& relay, int fd, std::FILE* stream)
{
    const auto current = reinterpret_cast<HANDLE>(::_get_osfhandle(fd));
    if (!isConsole(current))
        return false;
    // _dup2 closes the stream's console handle; the relay keeps a copy of its own.
    const HANDLE process = ::GetCurrentProcess();
    if (!::DuplicateHandle(process, current, process, &relay.console, 0, FALSE,
                           DUPLICATE_SAME_ACCESS))
        return false;
    HANDLE writeEnd = nullptr;
    if (!::CreatePipe(&relay.pipe, &writeEnd, nullptr, 0))
        return false;
    const int pipeFd = ::_open_osfhandle(reinterpret_cast<intptr_t>(writeEnd), _O_TEXT);
    if (pipeFd < 0) {
        ::CloseHandle(writeEnd);
        return false;
    }
    relay.thread = ::CreateThread(nullptr, 0, relayToConsole, &relay, 0, nullptr);
    std::fflush(stream);
    const bool routed = relay.thread && ::_dup2(pipeFd, fd) == 0;
    // The relay's read ends once no stream writes to the pipe any more.
    ::_close(pipeFd);
    if (!routed) {
        relay.thread = nullptr;
        return false;
    }
    relay.fd = fd;
    // As on a console: each call's text goes out when it is written.
    std::setvbuf(stream, nullptr, _IONBF, 0);
    return true;
}

} // namespace

void writeConsolesAsWideText()
{
    const bool out = startRelay(relays[0], 1, stdout);
    const bool err = startRelay(relays[1], 2, stderr);
    if (out || err)
        std::atexit(finishRelays);
}

} // namespace nconv
