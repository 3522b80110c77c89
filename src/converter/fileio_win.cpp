#include "exitcodes.h"
#include "fileio.h"
#include "readsteps.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <windows.h>

namespace nconv {
namespace {

std::wstring widen(const std::string& text)
{
    if (text.empty())
        return {};
    const int length =
        ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(std::max(length, 0)), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                          length);
    return wide;
}

std::string narrow(const wchar_t* text, int length)
{
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(std::max(size, 0)), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text, length, out.data(), size, nullptr, nullptr);
    return out;
}

// The system's own description of an error, in the user's language, without the final period.
std::string reason(DWORD error)
{
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string message = length ? narrow(text, static_cast<int>(length)) : std::string();
    ::LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                message.back() == ' ' || message.back() == '.'))
        message.pop_back();
    if (message.empty())
        message = "system error " + std::to_string(error);
    return message;
}

// The form of a path that the wide file calls take at any length: absolute, with the "\\?\"
// prefix (or "\\?\UNC\" for a network path).
std::wstring systemPath(const std::string& path)
{
    const std::wstring wide = widen(path);
    if (wide.rfind(L"\\\\?\\", 0) == 0)
        return wide;
    const DWORD needed = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (needed == 0)
        return wide;
    std::wstring full(needed, L'\0');
    const DWORD length = ::GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed)
        return wide;
    full.resize(length);
    if (full.rfind(L"\\\\.\\", 0) == 0)
        return full; // devices are named as they are
    if (full.rfind(L"\\\\", 0) == 0)
        return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

[[noreturn]] void fail(const std::string& path, DWORD error)
{
    throw OutputError("cannot write " + path + ": " + reason(error));
}

[[noreturn]] void exists(const std::string& path)
{
    throw OutputExistsError(path);
}

bool setDeleteOnClose(HANDLE file, bool remove)
{
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = remove ? TRUE : FALSE;
    return ::SetFileInformationByHandle(file, FileDispositionInfo, &disposition,
                                        sizeof disposition) != 0;
}

// A new file beside the target, "~nconvert-XXXXXX.tmp". It is marked for deletion from the
// moment it exists until it is complete, so the system removes it with the last handle if the
// process dies or is killed; only the short step from unmarking to the move is unprotected.
class TempFile
{
public:
    explicit TempFile(const std::string& target) : target_(target)
    {
        const std::wstring full = systemPath(target);
        const std::size_t slash = full.find_last_of(L'\\');
        const std::wstring folder = full.substr(0, slash == std::wstring::npos ? 0 : slash + 1);
        LARGE_INTEGER now{};
        ::QueryPerformanceCounter(&now);
        unsigned long long seed = static_cast<unsigned long long>(now.QuadPart) ^
                                  (::GetCurrentProcessId() * 2654435761ull);
        for (int attempt = 0; attempt < 100; ++attempt) {
            seed = seed * 6364136223846793005ull + 1442695040888963407ull;
            wchar_t suffix[8];
            std::swprintf(suffix, 8, L"%06llx", (seed >> 40) & 0xFFFFFF);
            path_ = folder + L"~nconvert-" + suffix + L".tmp";
            file_ = ::CreateFileW(path_.c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_DELETE, nullptr,
                                  CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (file_ != INVALID_HANDLE_VALUE)
                break;
            const DWORD error = ::GetLastError();
            if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
                fail(target, error);
        }
        if (file_ == INVALID_HANDLE_VALUE)
            fail(target, ERROR_FILE_EXISTS);
        if (!setDeleteOnClose(file_, true)) {
            const DWORD error = ::GetLastError();
            discard();
            fail(target, error);
        }
    }
    ~TempFile() { discard(); }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    void write(std::span<const std::uint8_t> bytes)
    {
        const std::uint8_t* p = bytes.data();
        std::size_t left = bytes.size();
        while (left > 0) {
            const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(left, 1u << 30));
            DWORD written = 0;
            if (!::WriteFile(file_, p, chunk, &written, nullptr))
                fail(target_, ::GetLastError());
            if (written == 0)
                fail(target_, ERROR_WRITE_FAULT);
            p += written, left -= written;
        }
    }

    // Moves the complete file to `path`, replacing an existing file only when asked to.
    void publish(const std::string& path, bool overwrite)
    {
        if (!setDeleteOnClose(file_, false))
            fail(path, ::GetLastError());
        const DWORD flags = overwrite ? MOVEFILE_REPLACE_EXISTING : 0;
        if (::MoveFileExW(path_.c_str(), systemPath(path).c_str(), flags)) {
            ::CloseHandle(file_);
            file_ = INVALID_HANDLE_VALUE;
            return;
        }
        const DWORD error = ::GetLastError();
        setDeleteOnClose(file_, true);
        if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS)
            exists(path);
        fail(path, error);
    }

private:
    void discard()
    {
        if (file_ == INVALID_HANDLE_VALUE)
            return;
        const bool marked = setDeleteOnClose(file_, true);
        ::CloseHandle(file_);
        file_ = INVALID_HANDLE_VALUE;
        if (!marked)
            ::DeleteFileW(path_.c_str());
    }

    std::string target_;
    std::wstring path_;
    HANDLE file_ = INVALID_HANDLE_VALUE;
};

[[noreturn]] void readFailed(DWORD error)
{
    throw ReadError("cannot read the file: " + reason(error));
}

// Sources that cannot be mapped (pipes, devices).
std::vector<std::uint8_t> readStream(HANDLE file, std::uint64_t limit)
{
    return readInSteps(
        [file](std::uint8_t* to, std::size_t size) -> std::size_t {
            DWORD n = 0;
            const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
            if (!::ReadFile(file, to, want, &n, nullptr)) {
                const DWORD error = ::GetLastError();
                if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF)
                    return 0;
                readFailed(error);
            }
            return n;
        },
        limit);
}

// A mapped source on a network share or removable disk can fail to page in; that ends the
// program with the usual one line instead of a crash.
const void* g_mapStart = nullptr;
std::size_t g_mapSize = 0;
char g_source[4096];

LONG CALLBACK onPageInFailure(EXCEPTION_POINTERS* info)
{
    const EXCEPTION_RECORD* record = info->ExceptionRecord;
    if (record->ExceptionCode != EXCEPTION_IN_PAGE_ERROR || record->NumberParameters < 2 ||
        !g_mapStart)
        return EXCEPTION_CONTINUE_SEARCH;
    const auto address = static_cast<std::uintptr_t>(record->ExceptionInformation[1]);
    const auto start = reinterpret_cast<std::uintptr_t>(g_mapStart);
    if (address < start || address - start >= g_mapSize)
        return EXCEPTION_CONTINUE_SEARCH;
    std::fprintf(stderr, "nconvert: %s: cannot read the file: it could not be read from its disk\n",
                 g_source);
    std::fflush(stderr);
    // The temporary output, if any, is marked for deletion and goes with the process.
    ::ExitProcess(kExitCannotRead);
}

} // namespace

SourceFile::SourceFile(const std::string& path, std::uint64_t limit)
{
    const HANDLE file = ::CreateFileW(systemPath(path).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        readFailed(::GetLastError());
    struct Closer
    {
        HANDLE h;
        ~Closer() { ::CloseHandle(h); }
    } closer{file};
    // A pipe or a device may never end; only files on a disk are read.
    if (::GetFileType(file) != FILE_TYPE_DISK)
        throw ReadError("cannot read the file: it is a pipe or a device, not a file");
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file, &info))
        readFailed(::GetLastError());
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        throw ReadError("cannot read the file: it is a folder");
    const std::uint64_t size =
        (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    if (size > limit)
        throwTooLarge(limit);
    if (size == 0)
        return;
    const HANDLE mapping = ::CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (mapping)
        map_ = ::MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, static_cast<SIZE_T>(size));
    if (mapping)
        ::CloseHandle(mapping);
    if (!map_) {
        copy_ = readStream(file, limit);
        return;
    }
    mapSize_ = static_cast<std::size_t>(size);
    const std::size_t copied = std::min(path.size(), sizeof g_source - 1);
    std::copy_n(path.data(), copied, g_source);
    g_source[copied] = '\0';
    g_mapStart = map_;
    g_mapSize = mapSize_;
    static const PVOID handler = ::AddVectoredExceptionHandler(1, onPageInFailure);
    (void)handler;
}

SourceFile::~SourceFile()
{
    if (map_) {
        g_mapStart = nullptr;
        ::UnmapViewOfFile(map_);
    }
}

std::span<const std::uint8_t> SourceFile::bytes() const
{
    if (map_)
        return {static_cast<const std::uint8_t*>(map_), mapSize_};
    return copy_;
}

bool outputExists(const std::string& path)
{
    return ::GetFileAttributesW(systemPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void removeOutput(const std::string& path) noexcept
{
    try {
        ::DeleteFileW(systemPath(path).c_str());
    } catch (...) {
    }
}

void keepSourcesMappedUntilExit()
{
    // Nothing measured to gain here: sources are unmapped as usual.
}

namespace {

// The outputs promised by expectOutputs, and the thread that settles them when the window asks
// the converter to end. The temporary output is marked for deletion while it is written, so the
// system removes it however the process ends; finished files of a set are ours to remove.
// Replaced whole with one atomic store, so a suspended main thread never leaves it half made.
std::atomic<const std::vector<std::wstring>*> g_expected{nullptr};
HANDLE g_mainThread = nullptr;
// While work that undoes itself runs (DeferredEnd), the request only raises this flag.
std::atomic<bool> g_deferring{false};
std::atomic<bool> g_endRequested{false};
// How a console program ends when it is interrupted.
constexpr DWORD kInterruptedExit = 0xC000013A;

DWORD WINAPI settleWhenAsked(void* event)
{
    if (::WaitForSingleObject(static_cast<HANDLE>(event), INFINITE) != WAIT_OBJECT_0)
        return 0;
    g_endRequested = true;
    if (g_deferring)
        return 0;
    // The main thread stops where it is, so no file appears after the count below.
    if (g_mainThread && ::SuspendThread(g_mainThread) != static_cast<DWORD>(-1)) {
        CONTEXT context{};
        context.ContextFlags = CONTEXT_CONTROL;
        ::GetThreadContext(g_mainThread, &context); // returns once it is really suspended
    }
    if (const std::vector<std::wstring>* expected = g_expected.load()) {
        std::size_t present = 0;
        for (const std::wstring& path : *expected)
            present += ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES ? 1 : 0;
        if (!expected->empty() && present == expected->size())
            ::ExitProcess(kExitOk);
        for (const std::wstring& path : *expected)
            ::DeleteFileW(path.c_str());
    }
    ::ExitProcess(kInterruptedExit);
    return 0;
}

} // namespace

void installInterruptCleanup()
{
    // The window names an event it sets to ask us to end; programs run by hand have none.
    wchar_t name[256];
    const DWORD length = ::GetEnvironmentVariableW(L"NCONVERT_END_EVENT", name, 256);
    if (length == 0 || length >= 256)
        return;
    HANDLE event = ::OpenEventW(SYNCHRONIZE, FALSE, name);
    if (!event)
        return;
    ::DuplicateHandle(::GetCurrentProcess(), ::GetCurrentThread(), ::GetCurrentProcess(),
                      &g_mainThread, THREAD_SUSPEND_RESUME | THREAD_GET_CONTEXT, FALSE, 0);
    if (HANDLE thread = ::CreateThread(nullptr, 64 * 1024, settleWhenAsked, event,
                                       STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr))
        ::CloseHandle(thread);
}

DeferredEnd::DeferredEnd()
{
    g_deferring = true;
}

DeferredEnd::~DeferredEnd()
{
    g_deferring = false;
    if (requested()) {
        std::fflush(nullptr);
        ::ExitProcess(complete_ ? kExitOk : kInterruptedExit);
    }
}

bool DeferredEnd::requested() const
{
    return g_endRequested;
}

void DeferredEnd::check() const
{
    if (requested())
        throw EndRequested();
}

void expectOutputs(const std::vector<std::string>& paths, bool overwrite)
{
    auto* expected = new std::vector<std::wstring>;
    if (!overwrite)
        for (const std::string& path : paths)
            expected->push_back(systemPath(path));
    // The list before is left as it is: the settling thread may have read it already. A
    // conversion expects its outputs once or twice, so nothing worth freeing is kept.
    g_expected.store(expected);
}

void writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes,
                         bool overwrite)
{
    TempFile temp(path);
    temp.write(bytes);
    temp.publish(path, overwrite);
}

void writeFileAtomically(const std::string& path,
                         const std::function<void(const ByteSink&)>& produce, bool overwrite)
{
    TempFile temp(path);
    produce([&](std::span<const std::uint8_t> bytes) { temp.write(bytes); });
    temp.publish(path, overwrite);
}

} // namespace nconv
