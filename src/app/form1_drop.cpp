#include "dropdata.h"
#include "dropintake.h"
#include "form1.h"
#include "leftoutnames.h"

bool Form1::ListView1_OLEDragOver(const QMimeData* data) const
{
    return OffersLocalFiles(data);
}

// Dropped paths are handled strictly in the order the source gave them; each one's files are
// appended before the next one is looked at, so the list fills while a large folder is walked.
void Form1::ListView1_OLEDragDrop(const QMimeData* data)
{
    const LeftOutNames leftOut;
    const QStringList dropped = DroppedPaths(data);
    {
        const WalkScope walking(*this);
        for (const QString& path : dropped)
            appendPaths(PathsFromDroppedPath(path, *context().dialogs, walkPacer()));
    }
    reportLeftOut(leftOut);
}
