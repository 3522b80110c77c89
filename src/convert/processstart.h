#pragma once

#include <QString>

class QProcess;

// Platform part of starting the converter: on Windows the window style and the exact command
// line; elsewhere nothing is needed.
void PrepareProcessStart(QProcess& process, int windowStyle, const QString& nativeCommandLine);

// Asks a converter to end in a way it can handle, so it removes what it was writing before it
// goes: a termination signal here, an event it waits for on Windows (it has no window or console
// to be told through).
class EndRequest
{
public:
    EndRequest();
    ~EndRequest();
    EndRequest(const EndRequest&) = delete;
    EndRequest& operator=(const EndRequest&) = delete;

    // Before the process starts.
    void prepare(QProcess& process);
    void send(QProcess& process);

private:
    void* event_ = nullptr;
};
