#include "processstart.h"

#include <QProcess>

void PrepareProcessStart(QProcess&, int, const QString&)
{
    // Child processes have no windows of their own here.
}

EndRequest::EndRequest() = default;
EndRequest::~EndRequest() = default;

void EndRequest::prepare(QProcess&) {}

void EndRequest::send(QProcess& process)
{
    process.terminate();
}
