#include "multioutput.h"

#include "cmdargs.h"
#include "fileio.h"

namespace nconv {

std::string numberedPath(const std::string& output, std::size_t number, std::size_t count)
{
    const std::size_t dot = extensionStart(output);
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
