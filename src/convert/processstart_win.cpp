#include "processstart.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <atomic>
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

namespace {

std::atomic<unsigned> g_endEvents{0};

} // namespace

EndRequest::EndRequest() = default;

EndRequest::~EndRequest()
{
    if (event_)
        ::CloseHandle(event_);
}

void EndRequest::prepare(QProcess& process)
{
    if (event_)
        ::CloseHandle(event_);
    // A name of this window's own: the converter opens it and ends when it is set.
    const QString name =
        QStringLiteral("Local\\corvenda-end-%1-%2").arg(::GetCurrentProcessId()).arg(++g_endEvents);
    event_ = ::CreateEventW(nullptr, TRUE, FALSE, reinterpret_cast<LPCWSTR>(name.utf16()));
    if (!event_)
        return; // then the converter can only be killed
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("NCONVERT_END_EVENT"), name);
    process.setProcessEnvironment(environment);
}

void EndRequest::send(QProcess& process)
{
    if (event_)
        ::SetEvent(event_);
    else
        process.kill();
}
