#include "dialogs.h"
#include "form1.h"
#include "samplefiles.h"
#include "trap.h"

namespace {

// Lists the samples that are not listed yet, then offers to show their folder.
void LoadSampleFiles(Form1& form)
{
    const QString folder = SampleFolderPath(form.context().programFolder);
    form.appendPaths(SamplePathsToAdd(folder, SampleFileNames(folder), form.itemTexts()));
    Dialogs& dialogs = *form.context().dialogs;
    const MessageAnswer answer =
        dialogs.messageBox(kOpenSampleFolderQuestion, form.applicationTitle(),
                           MessageButtons::YesNo, MessageIcon::None);
    if (answer == MessageAnswer::Yes && !dialogs.openInShell(folder))
        dialogs.messageBox(SampleFolderOpenFailure(folder), form.applicationTitle(),
                           MessageButtons::Ok, MessageIcon::Warning);
}

} // namespace

void Form1::PushButton7_Click()
{
    Trap trap = makeTrap("PushButton7_Click");
    trap.at(100, [&] { LoadSampleFiles(*this); });
}
