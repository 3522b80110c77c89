#include "apperror.h"
#include "dialogs.h"
#include "form1.h"
#include "openfilesresult.h"
#include "trap.h"

namespace {
constexpr int kMaxFileNameChars = 30000;
}

void Form1::PushButton1_Click()
{
    Trap trap = makeTrap("PushButton1_Click");
    QString result;
    bool tooManyFiles = false;
    trap.at(112, [&] {
        try {
            result = context().dialogs->openFiles(
                QStringLiteral("Add File(s) - Hold Ctrl to select multiple files"),
                QStringLiteral("ANI Files (*.ani)|*.ani|"), kMaxFileNameChars);
        } catch (const AppError& error) {
            if (error.number() != ErrorNumber::kBufferTooSmall)
                throw;
            tooManyFiles = true;
        }
    });
    if (tooManyFiles) {
        context().dialogs->messageBox(
            QStringLiteral("You've selected too many files to add.\r\rPlease try adding via the "
                           "\"Add All\" button."),
            applicationTitle(), MessageButtons::Ok, MessageIcon::None);
        return;
    }
    if (result.isEmpty())
        return;
    QStringList paths;
    trap.at(116, [&] { paths = PathsFromOpenFilesResult(result); });
    trap.at(122, [&] { appendPaths(paths); });
}
