#pragma once

#include <QString>

class QProcess;

// Platform part of starting the converter: on Windows the window style and the exact command
// line; elsewhere nothing is needed.
void PrepareProcessStart(QProcess& process, int windowStyle, const QString& nativeCommandLine);
