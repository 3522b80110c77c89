#include "processstart.h"

void PrepareProcessStart(QProcess&, int, const QString&)
{
    // Child processes have no windows of their own here.
}
