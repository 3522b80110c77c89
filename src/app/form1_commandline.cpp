#include "commandlinefiles.h"
#include "dialogs.h"
#include "dropintake.h"
#include "form1.h"
#include "leftoutnames.h"

// Each path is listed before the next is looked at, as a drop does, so a large folder fills the
// list while it is walked. Paths that are not there are named together in one box at the end.
void Form1::ListCommandLineFiles(CommandLineFiles& files)
{
    Dialogs& dialogs = *context().dialogs;
    const LeftOutNames leftOut;
    {
        const WalkScope walking(*this);
        for (const QString& path : files.paths()) {
            if (KindOfDroppedPath(path) == DroppedKind::Missing)
                files.markMissing(path);
            else
                appendPaths(PathsFromDroppedPath(path, dialogs, walkPacer()));
        }
    }
    if (!files.missing().isEmpty())
        dialogs.messageBox(files.missingReport(), applicationTitle(), MessageButtons::Ok,
                           MessageIcon::None);
    reportLeftOut(leftOut);
}
