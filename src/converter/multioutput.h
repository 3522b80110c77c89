#pragma once
// A conversion that writes several files writes all of them or none.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace nconv {

struct OutputFile
{
    std::string path;
    std::vector<std::uint8_t> bytes;
};

// OUTPUT with "-NN" before its extension: NN counts from 1, zero-padded to the width of `count`
// ("cursor.png", 3 of 12 -> "cursor-03.png"). A leading dot does not start an extension.
std::string numberedPath(const std::string& output, std::size_t number, std::size_t count);

// Without `overwrite`, nothing is written when any of the files exists. Each file appears whole
// or not at all; when one cannot be written, those already written are removed again and the
// error is passed on.
void writeAllOrNothing(const std::vector<OutputFile>& files, bool overwrite);

} // namespace nconv
