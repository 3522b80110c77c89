#include "parentconsole.h"

#include <cstdio>
#include <windows.h>

void UseParentConsole()
{
    // Output redirected to a file or a pipe already works; only a bare console needs attaching.
    if (::GetFileType(::GetStdHandle(STD_OUTPUT_HANDLE)) != FILE_TYPE_UNKNOWN)
        return;
    if (::AttachConsole(ATTACH_PARENT_PROCESS))
        std::freopen("CONOUT$", "w", stdout);
}
