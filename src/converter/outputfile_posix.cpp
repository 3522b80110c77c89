#include "outputfile.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace nconv {
namespace {

// The temporary file being written, for the signal handler: plain storage, no allocation.
char g_pendingTemp[4096];
volatile std::sig_atomic_t g_havePending = 0;

void onSignal(int sig)
{
    if (g_havePending)
        unlink(g_pendingTemp);
    std::signal(sig, SIG_DFL);
    std::raise(sig);
}

std::string reason(int error)
{
    return std::strerror(error);
}

[[noreturn]] void fail(const std::string& path, int error)
{
    throw OutputError("cannot write " + path + ": " + reason(error));
}

class TempFile
{
public:
    explicit TempFile(const std::string& target)
    {
        const std::size_t slash = target.find_last_of('/');
        const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
        const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
        std::string pattern = folder + "." + name + ".nconvert-XXXXXX";
        if (pattern.size() >= sizeof g_pendingTemp)
            throw OutputError("cannot write " + target + ": the path is too long");
        std::vector<char> buffer(pattern.begin(), pattern.end());
        buffer.push_back('\0');
        fd_ = mkstemp(buffer.data());
        if (fd_ < 0)
            fail(target, errno);
        path_ = buffer.data();
        std::memcpy(g_pendingTemp, buffer.data(), buffer.size());
        g_havePending = 1;
    }
    ~TempFile()
    {
        if (fd_ >= 0)
            close(fd_);
        if (!path_.empty())
            unlink(path_.c_str());
        g_havePending = 0;
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    int fd() const { return fd_; }
    const std::string& path() const { return path_; }
    int closeFile()
    {
        const int rc = close(fd_);
        fd_ = -1;
        return rc;
    }
    void release() { path_.clear(); }

private:
    int fd_ = -1;
    std::string path_;
};

} // namespace

bool outputExists(const std::string& path)
{
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

void installInterruptCleanup()
{
    for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT})
        std::signal(sig, onSignal);
}

void writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes,
                         bool overwrite)
{
    TempFile temp(path);
    const std::uint8_t* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = write(temp.fd(), p, left);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            fail(path, n < 0 ? errno : EIO);
        p += n, left -= static_cast<std::size_t>(n);
    }
    // mkstemp makes the file private; the result gets the usual permissions instead.
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(temp.fd(), 0666 & ~mask);
    if (temp.closeFile() != 0)
        fail(path, errno);

    if (overwrite) {
        if (rename(temp.path().c_str(), path.c_str()) != 0)
            fail(path, errno);
        temp.release();
        return;
    }
    // link() refuses to replace an existing name, so a file that appeared meanwhile is kept.
    if (link(temp.path().c_str(), path.c_str()) == 0)
        return; // the temporary name is removed by TempFile
    const int error = errno;
    if (error == EEXIST)
        throw OutputError("output file already exists: " + path +
                          " (add -overwrite to replace it)");
    if (error != EPERM && error != ENOTSUP && error != EOPNOTSUPP && error != ENOSYS &&
        error != EMLINK && error != EXDEV)
        fail(path, error);
    // File systems without hard links: check, then rename.
    if (outputExists(path))
        throw OutputError("output file already exists: " + path +
                          " (add -overwrite to replace it)");
    if (rename(temp.path().c_str(), path.c_str()) != 0)
        fail(path, errno);
    temp.release();
}

} // namespace nconv
