#include "addfolder.h"
#include "apperror.h"
#include "form1.h"
#include "leftoutnames.h"
#include "paths.h"
#include "settingsstore.h"
#include "trap.h"

namespace {

const QString kExtensionPrompt =
    QStringLiteral("Enter file extension to load:") + QStringLiteral("\r\r") +
    QStringLiteral("(* for all files, txt for all txt files, doc for all doc files, etc.)");

} // namespace

void Form1::PushButton4_Click()
{
    Trap trap = makeTrap("PushButton4_Click");
    Dialogs& dialogs = *context().dialogs;
    SettingsStore& settings = *context().settings;

    QString ext;
    trap.at(100, [&] {
        const QString proposed = settings.read(QStringLiteral("Extension"), QStringLiteral("ani"));
        ext = dialogs.inputBox(kExtensionPrompt, applicationTitle(), proposed).value_or(QString());
        if (!ext.isEmpty())
            settings.write(QStringLiteral("Extension"), ext);
    });
    if (trap.test(102, [&] { return ext.isEmpty(); }))
        return;

    QString folder;
    trap.at(104, [&] {
        const QString lastFolder = settings.read(QStringLiteral("LastFolder"), QString());
        folder = BrowseForFolder(dialogs, QStringLiteral("Please select folder:"), lastFolder);
    });
    if (trap.test(106, [&] { return folder.isEmpty(); }))
        return;
    trap.at(108, [&] { settings.write(QStringLiteral("LastFolder"), folder); });

    trap.at(116, [&] { setMousePointer(MousePointer::kHourglass); });
    QStringList folders;
    trap.at(118, [&] { folders = {folder + kNativePaths.separator}; });
    const WalkScope walking(*this);
    const LeftOutNames leftOut;
    trap.at(120, [&] { GetSubDirectories2016(folders, true, dialogs, walkPacer()); });

    // The listing lets no events run, so the files are appended in one batch at the end.
    QStringList paths;
    trap.at(122, [&] {
        paths = FilesInFolders(folders, QStringLiteral("*.") + ext,
                               [&](const AppError& error) { trap.at(126, [&] { throw error; }); });
    });
    trap.at(136, [&] { appendPaths(paths); });
    trap.at(140, [&] { setMousePointer(MousePointer::kDefault); });
    reportLeftOut(leftOut);
}
