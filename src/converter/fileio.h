#pragma once
// Reading the source and writing the result, so that no half-written image is ever seen
// under the output name. One implementation per platform.
#include "bytesink.h"

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace nconv {

class ReadError : public std::runtime_error
{
public:
    explicit ReadError(const std::string& what, bool tooLarge = false)
        : std::runtime_error(what), tooLarge_(tooLarge)
    {
    }
    bool tooLarge() const { return tooLarge_; }

private:
    bool tooLarge_;
};

// The bytes of a source file; refuses anything but a regular file (a pipe would block the
// converter for good) and files larger than `limit` bytes. Regular
// files are mapped rather than copied: reading an animation touches only its chunk headers and
// the frame it draws, so a 500-frame file costs about what a one-frame file costs.
class SourceFile
{
public:
    SourceFile(const std::string& path, std::uint64_t limit);
    ~SourceFile();
    SourceFile(const SourceFile&) = delete;
    SourceFile& operator=(const SourceFile&) = delete;

    std::span<const std::uint8_t> bytes() const;

private:
    void* map_ = nullptr;
    std::size_t mapSize_ = 0;
    std::vector<std::uint8_t> copy_;
};

class OutputError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The output is there already and may not be replaced.
class OutputExistsError : public OutputError
{
public:
    explicit OutputExistsError(const std::string& path)
        : OutputError("output file already exists: " + path + " (add -overwrite to replace it)")
    {
    }
};

// Writes to a temporary file beside `path` and moves it into place only when complete. Without
// `overwrite` an existing file is never replaced ("output file already exists"). On failure
// neither the output nor the temporary file is left behind. With `overwrite`, an existing empty
// file is written in place instead, so whoever holds it open reads the image; it is emptied
// again when the write fails.
void writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes,
                         bool overwrite);
// The same for a file made in pieces, which then never needs to be held whole: `produce` hands
// them to the sink it is given. It may be called once more from the start when the first way of
// writing turns out to be unavailable, and must then give the same bytes again.
void writeFileAtomically(const std::string& path,
                         const std::function<void(const ByteSink&)>& produce, bool overwrite);

bool outputExists(const std::string& path);

// Removes a finished output again, when the set of files it belongs to cannot be completed.
void removeOutput(const std::string& path) noexcept;

// Removes a temporary file that is being written if the process is interrupted or terminated.
void installInterruptCleanup();

// The files this conversion will write, none of which exists yet (without `overwrite`). Asked to
// end (a termination signal; on Windows the event named by NCONVERT_END_EVENT), the converter
// exits 0 when every one of them is in place, and otherwise removes those already written and
// ends as interrupted: a set of outputs is left whole or not at all. With `overwrite` the files
// may be older ones of the user's, so none is removed.
void expectOutputs(const std::vector<std::string>& paths, bool overwrite);

// Work that writes in many steps and undoes itself on the normal way out (destructors): while a
// DeferredEnd lives, a request to end waits until the work asks whether one came. Once the work
// is complete(), a request that came at its very end ends the converter with 0.
class DeferredEnd
{
public:
    DeferredEnd();
    // A request that came ends the converter here: as interrupted, or with 0 once complete.
    ~DeferredEnd();
    DeferredEnd(const DeferredEnd&) = delete;
    DeferredEnd& operator=(const DeferredEnd&) = delete;

    // Throws EndRequested when a request to end has come.
    void check() const;
    void complete() { complete_ = true; }

private:
    bool requested() const;
    bool complete_ = false;
};

class EndRequested : public std::runtime_error
{
public:
    EndRequested() : std::runtime_error("asked to end") {}
};

// For a process that ends after its conversion: a source stays mapped until the exit, which
// unmaps everything at once. Unmapping it alone flushes the address translations, which on a
// virtual machine costs 60 to 80 us.
void keepSourcesMappedUntilExit();

} // namespace nconv
