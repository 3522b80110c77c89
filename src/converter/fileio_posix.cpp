#include "exitcodes.h"
#include "fileio.h"
#include "readsteps.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <functional>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nconv {
namespace {

// The temporary file being written, for the signal handler: plain storage, no allocation.
char g_pendingTemp[4096];
volatile std::sig_atomic_t g_havePending = 0;
// An empty output being written in place, emptied again if the process is stopped part way.
volatile std::sig_atomic_t g_pendingInPlace = -1;

void dropPending()
{
    if (g_havePending)
        unlink(g_pendingTemp);
    if (g_pendingInPlace >= 0 && ftruncate(g_pendingInPlace, 0) != 0)
        g_pendingInPlace = -1;
}

// The outputs promised by expectOutputs, for the signal handler: set up before it may run and
// never changed or freed while it may (a signal can come after main has returned, when static
// objects are gone).
const std::vector<std::string>* volatile g_expected = nullptr;
volatile std::sig_atomic_t g_expectedCount = 0;

// Everything in place: the conversion is done. Otherwise what was written goes; each file was
// renamed into place whole, so being there means being ours and complete.
void settleExpected()
{
    const auto count = static_cast<std::size_t>(g_expectedCount);
    const std::vector<std::string>* expected = g_expected;
    if (count == 0 || !expected)
        return;
    std::size_t present = 0;
    for (std::size_t i = 0; i < count; ++i)
        present += access((*expected)[i].c_str(), F_OK) == 0 ? 1 : 0;
    if (present == count)
        _exit(kExitOk);
    for (std::size_t i = 0; i < count; ++i)
        unlink((*expected)[i].c_str());
}

void onSignal(int sig)
{
    dropPending();
    settleExpected();
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

bool g_cleanupWanted = false;

// Installed only once a named temporary file is about to exist: an unnamed file, the usual
// case, leaves nothing behind, and a dozen system calls are worth saving on a run this short.
void armCleanup()
{
    static bool armed = false;
    if (!g_cleanupWanted || armed)
        return;
    armed = true;
    for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE, SIGALRM, SIGUSR1, SIGUSR2, SIGVTALRM,
                    SIGPROF, SIGXCPU})
        std::signal(sig, onSignal);
}

std::string reason(int error)
{
    return std::strerror(error);
}

[[noreturn]] void fail(const std::string& path, int error)
{
    throw OutputError("cannot write " + path + ": " + reason(error));
}

[[noreturn]] void exists(const std::string& path)
{
    throw OutputExistsError(path);
}

// "dir/" of a path, or "" for a name in the current folder.
std::string folderPart(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

void writeAll(int fd, std::span<const std::uint8_t> bytes, const std::string& path)
{
    const std::uint8_t* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = write(fd, p, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            fail(path, n < 0 ? errno : EIO);
        p += n, left -= static_cast<std::size_t>(n);
    }
}

class FileDescriptor
{
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor()
    {
        if (fd_ >= 0)
            close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return fd_; }
    int closeNow()
    {
        const int rc = close(fd_);
        fd_ = -1;
        return rc;
    }

private:
    int fd_;
};

// A short hidden name beside the target, ".nconvert-XXXXXX": it fits the folder's name limit
// however long the target's own name is. Removed on failure and by the signal handler.
class TempName
{
public:
    // `create` makes the file under the name it is given, or returns false with errno set.
    TempName(const std::string& target, const std::function<bool(const char*)>& create)
    {
        const std::string stem = folderPart(target) + ".nconvert-";
        if (stem.size() + 8 >= sizeof g_pendingTemp)
            throw OutputError("cannot write " + target + ": the path is too long");
        armCleanup();
        timespec now{};
        clock_gettime(CLOCK_REALTIME, &now);
        unsigned long seed = static_cast<unsigned long>(now.tv_nsec) ^ (getpid() * 2654435761ul);
        for (int attempt = 0; attempt < 100; ++attempt) {
            char suffix[8];
            seed = seed * 6364136223846793005ul + 1442695040888963407ul;
            std::snprintf(suffix, sizeof suffix, "%06lx", (seed >> 40) & 0xFFFFFF);
            path_ = stem + suffix;
            std::memcpy(g_pendingTemp, path_.c_str(), path_.size() + 1);
            g_havePending = 1;
            if (create(path_.c_str())) {
                owned_ = true;
                return;
            }
            g_havePending = 0;
            if (errno != EEXIST)
                fail(target, errno);
        }
        fail(target, EEXIST);
    }
    ~TempName()
    {
        if (owned_)
            unlink(path_.c_str());
        g_havePending = 0;
    }
    TempName(const TempName&) = delete;
    TempName& operator=(const TempName&) = delete;

    const char* path() const { return path_.c_str(); }
    // The name was moved away: nothing is left to remove.
    void release()
    {
        owned_ = false;
        g_havePending = 0;
    }

private:
    bool owned_ = false;
    std::string path_;
};

// Moves the finished file into place without ever replacing an existing one.
void moveIntoPlace(TempName& temp, const std::string& path)
{
#ifdef RENAME_NOREPLACE
    if (renameat2(AT_FDCWD, temp.path(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0) {
        temp.release();
        return;
    }
    if (errno == EEXIST)
        exists(path);
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        fail(path, errno);
#endif
    // link() refuses to replace an existing name too; the temporary name is removed after.
    if (link(temp.path(), path.c_str()) == 0)
        return;
    const int error = errno;
    if (error == EEXIST)
        exists(path);
    if (error != EPERM && error != ENOTSUP && error != EOPNOTSUPP && error != ENOSYS &&
        error != EMLINK && error != EXDEV)
        fail(path, error);
    // File systems without hard links: check, then rename.
    if (outputExists(path))
        exists(path);
    if (rename(temp.path(), path.c_str()) != 0)
        fail(path, errno);
    temp.release();
}

// Where unnamed files are refused: the bytes go to a temporary name first.
void writeThroughTempName(const std::string& path,
                          const std::function<void(const ByteSink&)>& produce, bool overwrite)
{
    int fd = -1;
    TempName temp(path, [&](const char* name) {
        fd = open(name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        return fd >= 0;
    });
    FileDescriptor file(fd);
    produce([&](std::span<const std::uint8_t> bytes) { writeAll(file.get(), bytes, path); });
    if (file.closeNow() != 0)
        fail(path, errno);
    if (!overwrite) {
        moveIntoPlace(temp, path);
        return;
    }
    if (rename(temp.path(), path.c_str()) != 0)
        fail(path, errno);
    temp.release();
}

// A host that made the output file itself and reads the image back through its own descriptor
// (XFCE's thumbnailer does) would never see a file renamed over that name. An empty file holds
// nothing to lose, so the bytes go straight into it; a failed or interrupted write empties it
// again. False, having written nothing, for any other file.
bool writeIntoEmptyFile(const std::string& path,
                        const std::function<void(const ByteSink&)>& produce)
{
    FileDescriptor file(open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat st;
    if (file.get() < 0 || fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size != 0 ||
        st.st_nlink != 1)
        return false;
    armCleanup();
    g_pendingInPlace = file.get();
    try {
        produce([&](std::span<const std::uint8_t> bytes) { writeAll(file.get(), bytes, path); });
    } catch (...) {
        dropPending();
        g_pendingInPlace = -1;
        throw;
    }
    g_pendingInPlace = -1;
    if (file.closeNow() != 0)
        fail(path, errno);
    return true;
}

#ifdef O_TMPFILE
// Gives the open unnamed file a name; false with errno set when it cannot (EEXIST: taken).
bool linkUnnamed(int fd, const char* name)
{
    if (linkat(fd, "", AT_FDCWD, name, AT_EMPTY_PATH) == 0)
        return true;
    if (errno == EEXIST)
        return false;
    // Without the capability AT_EMPTY_PATH asks for, the same file is reachable through /proc.
    char self[40];
    std::snprintf(self, sizeof self, "/proc/self/fd/%d", fd);
    return linkat(AT_FDCWD, self, AT_FDCWD, name, AT_SYMLINK_FOLLOW) == 0;
}

// The bytes go into a file with no name, which gets the target's name only when complete: a
// process killed at any moment leaves nothing. False when the file system cannot do this.
bool writeUnnamed(const std::string& path, const std::function<void(const ByteSink&)>& produce,
                  bool overwrite)
{
    const std::string folder = folderPart(path);
    FileDescriptor file(
        open(folder.empty() ? "." : folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666));
    if (file.get() < 0) {
        if (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)
            return false;
        fail(path, errno);
    }
    produce([&](std::span<const std::uint8_t> bytes) { writeAll(file.get(), bytes, path); });
    if (linkUnnamed(file.get(), path.c_str()))
        return true;
    if (errno == ENOENT)
        return false; // no way to name it (no /proc); the other way reports any real fault
    if (errno != EEXIST)
        fail(path, errno);
    if (!overwrite)
        exists(path);
    // A rename is the only way to replace a name in one step, so the finished file takes a
    // short name first; only a kill in the moment between the two calls leaves that behind.
    TempName temp(path, [&](const char* name) { return linkUnnamed(file.get(), name); });
    if (rename(temp.path(), path.c_str()) != 0)
        fail(path, errno);
    temp.release();
    return true;
}
#else
bool writeUnnamed(const std::string&, const std::function<void(const ByteSink&)>&, bool)
{
    return false;
}
#endif

} // namespace

namespace {

// Read by the SIGBUS handler: a mapped source that shrinks under us must not crash the program.
char g_source[4096];

bool g_keepMapped = false;

void onSourceShrunk(int)
{
    const char start[] = "nconvert: ";
    const char end[] = ": cannot read the file: it changed while being read\n";
    ssize_t ignored = write(2, start, sizeof start - 1);
    ignored = write(2, g_source, std::strlen(g_source));
    ignored = write(2, end, sizeof end - 1);
    (void)ignored;
    dropPending();
    _exit(kExitCannotRead);
}

[[noreturn]] void readFailed(int error)
{
    throw ReadError(std::string("cannot read the file: ") + std::strerror(error));
}

const char* notAFile(mode_t mode)
{
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISFIFO(mode))
        return "a named pipe, not a file";
    if (S_ISSOCK(mode))
        return "a socket, not a file";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "a device, not a file";
    return "not a regular file";
}

// Regular files that cannot be mapped.
std::vector<std::uint8_t> readStream(int fd, std::uint64_t limit)
{
    return readInSteps(
        [fd](std::uint8_t* to, std::size_t size) -> std::size_t {
            for (;;) {
                const ssize_t n = read(fd, to, size);
                if (n >= 0)
                    return static_cast<std::size_t>(n);
                if (errno != EINTR)
                    readFailed(errno);
            }
        },
        limit);
}

} // namespace

SourceFile::SourceFile(const std::string& path, std::uint64_t limit)
{
    // Opening a named pipe without O_NONBLOCK waits for a writer that may never come.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        readFailed(errno);
    struct Closer
    {
        int fd;
        ~Closer() { close(fd); }
    } closer{fd};
    struct stat st;
    if (fstat(fd, &st) != 0)
        readFailed(errno);
    if (!S_ISREG(st.st_mode))
        throw ReadError(std::string("cannot read the file: it is ") + notAFile(st.st_mode));
    if (static_cast<std::uint64_t>(st.st_size) > limit)
        throwTooLarge(limit);
    if (st.st_size == 0)
        return;
    const std::size_t copied = std::min(path.size(), sizeof g_source - 1);
    std::memcpy(g_source, path.data(), copied);
    g_source[copied] = '\0';
    std::signal(SIGBUS, onSourceShrunk);
    mapSize_ = static_cast<std::size_t>(st.st_size);
    map_ = mmap(nullptr, mapSize_, PROT_READ, MAP_PRIVATE, fd, 0);
    if (map_ == MAP_FAILED) {
        map_ = nullptr;
        mapSize_ = 0;
        copy_ = readStream(fd, limit);
    }
}

SourceFile::~SourceFile()
{
    if (map_ && !g_keepMapped)
        munmap(map_, mapSize_);
}

std::span<const std::uint8_t> SourceFile::bytes() const
{
    if (map_)
        return {static_cast<const std::uint8_t*>(map_), mapSize_};
    return copy_;
}

bool outputExists(const std::string& path)
{
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

void removeOutput(const std::string& path) noexcept
{
    unlink(path.c_str());
}

void keepSourcesMappedUntilExit()
{
    g_keepMapped = true;
}

void installInterruptCleanup()
{
    g_cleanupWanted = true;
    // Past a file size limit a write then fails with "File too large", which is reported.
    std::signal(SIGXFSZ, SIG_IGN);
}

void expectOutputs(const std::vector<std::string>& paths, bool overwrite)
{
    g_expectedCount = 0;
    if (overwrite)
        return;
    // Never freed: a conversion expects its outputs once or twice.
    g_expected = new std::vector<std::string>(paths);
    g_expectedCount = static_cast<std::sig_atomic_t>(paths.size());
    // Stop and the window's time limit send SIGTERM; a converter asked to end must settle its
    // outputs, so this one handler is always there.
    std::signal(SIGTERM, onSignal);
}

namespace {

sigset_t endSignals()
{
    sigset_t set;
    sigemptyset(&set);
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        sigaddset(&set, sig);
    return set;
}

} // namespace

DeferredEnd::DeferredEnd()
{
    const sigset_t set = endSignals();
    sigprocmask(SIG_BLOCK, &set, nullptr);
}

DeferredEnd::~DeferredEnd()
{
    if (complete_ && requested()) {
        std::fflush(nullptr);
        _exit(kExitOk);
    }
    // A request that came is delivered now and ends the converter as it usually does.
    const sigset_t set = endSignals();
    sigprocmask(SIG_UNBLOCK, &set, nullptr);
}

bool DeferredEnd::requested() const
{
    sigset_t pending;
    if (sigpending(&pending) != 0)
        return false;
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        if (sigismember(&pending, sig) == 1)
            return true;
    return false;
}

void DeferredEnd::check() const
{
    if (requested())
        throw EndRequested();
}

void writeFileAtomically(const std::string& path,
                         const std::function<void(const ByteSink&)>& produce, bool overwrite)
{
    if (overwrite && writeIntoEmptyFile(path, produce))
        return;
    if (!writeUnnamed(path, produce, overwrite))
        writeThroughTempName(path, produce, overwrite);
}

void writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes,
                         bool overwrite)
{
    writeFileAtomically(
        path, [bytes](const ByteSink& sink) { sink(bytes); }, overwrite);
}

} // namespace nconv
