#include "cmdargs.h"
#include "commandline.h"
#include "consoletext.h"
#include "fileio.h"
#include "prefault.h"

#include <cstdio>
#include <string>
#include <vector>

// No iostreams here: their start-up (locales) would cost more than converting a small cursor.
int main(int argc, char** argv)
{
    // Enough for a preview of a 256 x 256 frame: the inflate window, libpng's rows, the output.
    nconv::prefaultHeap(96 * 1024);
    nconv::keepSourcesMappedUntilExit();
    nconv::installInterruptCleanup();
    nconv::writeConsolesAsWideText();
    const std::vector<std::string> args = nconv::programArguments(argc, argv);
    return nconv::runConverter(args, stdout, stderr);
}
