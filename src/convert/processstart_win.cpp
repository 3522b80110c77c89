#include "processstart.h"

#include <QProcess>
#include <memory>
#include <string>
#include <windows.h>

void PrepareProcessStart(QProcess& process, int windowStyle, const QString& nativeCommandLine)
{
    // CreateProcessW may write into the command line, so it gets a buffer of its own that lives
    // as long as the modifier.
    auto commandLine = std::make_shared<std::wstring>(nativeCommandLine.toStdWString());
    process.setCreateProcessArgumentsModifier(
        [windowStyle, commandLine](QProcess::CreateProcessArguments* args) {
            args->startupInfo->dwFlags |= STARTF_USESHOWWINDOW;
            args->startupInfo->wShowWindow = static_cast<WORD>(windowStyle);
            if (windowStyle != SW_HIDE)
                args->flags &= ~static_cast<DWORD>(CREATE_NO_WINDOW);
            args->arguments = commandLine->data();
        });
}
