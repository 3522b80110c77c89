#include "multioutput.h"

#include "cmdargs.h"
#include "fileio.h"

namespace nconv {

std::string numberedPath(const std::string& output, std::size_t number, std::size_t count)
{
    const std::size_t slash = output.find_last_of(kPathSeparators);
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    std::size_t dot = output.find_last_of('.');
    if (dot == std::string::npos || dot <= nameStart)
        dot = output.size();
    std::string digits = std::to_string(number);
    const std::size_t width = std::to_string(count).size();
    if (digits.size() < width)
        digits.insert(0, width - digits.size(), '0');
    return output.substr(0, dot) + "-" + digits + output.substr(dot);
}

void writeAllOrNothing(const std::vector<OutputFile>& files, bool overwrite)
{
    if (!overwrite)
        for (const OutputFile& file : files)
            if (outputExists(file.path))
                throw OutputExistsError(file.path);
    std::vector<std::string> paths;
    for (const OutputFile& file : files)
        paths.push_back(file.path);
    expectOutputs(paths, overwrite);
    std::size_t written = 0;
    try {
        for (; written < files.size(); ++written)
            writeFileAtomically(files[written].path, files[written].bytes, overwrite);
    } catch (...) {
        while (written > 0)
            removeOutput(files[--written].path);
        throw;
    }
}

} // namespace nconv
