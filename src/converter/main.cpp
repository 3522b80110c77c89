#include "commandline.h"
#include "outputfile.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    nconv::installInterruptCleanup();
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    const int status = nconv::runConverter(args, std::cout, std::cerr);
    std::cout.flush();
    return status;
}
