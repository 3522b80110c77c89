#pragma once
// Reading the source and writing the result, so that no half-written image is ever seen
// under the output name. One implementation per platform.
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace nconv {

class ReadError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The whole file; refuses folders and files larger than `limit` bytes before reading them.
std::vector<std::uint8_t> readWholeFile(const std::string& path, std::uint64_t limit);

class OutputError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// Writes to a temporary file beside `path` and moves it into place only when complete. Without
// `overwrite` an existing file is never replaced ("output file already exists"). On failure
// neither the output nor the temporary file is left behind.
void writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes,
                         bool overwrite);

bool outputExists(const std::string& path);

// Removes a temporary file that is being written if the process is interrupted or terminated.
void installInterruptCleanup();

} // namespace nconv
