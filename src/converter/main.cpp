#include "cmdargs.h"
#include "commandline.h"
#include "fileio.h"

#include <cstdio>
#include <string>
#include <vector>

// No iostreams here: their start-up (locales) would cost more than converting a small cursor.
int main(int argc, char** argv)
{
    nconv::installInterruptCleanup();
    const std::vector<std::string> args = nconv::programArguments(argc, argv);
    return nconv::runConverter(args, stdout, stderr);
}
