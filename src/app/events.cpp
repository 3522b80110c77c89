#include "events.h"

#include <QCoreApplication>

void LetEventsRun()
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}
