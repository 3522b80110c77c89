#include "baranimation.h"
#include "bartext.h"
#include "conversionrun.h"
#include "dialogs.h"
#include "form1.h"
#include "form1_runhost.h"
#include "paths.h"
#include "settingsstore.h"
#include "trap.h"

#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

namespace {

const QString kStartText = QStringLiteral("Start Converting");
const QString kStopText = QStringLiteral("Stop Converting");

void showMessage(const Form1& form, const QString& text)
{
    form.context().dialogs->messageBox(text, form.applicationTitle(), MessageButtons::Ok,
                                       MessageIcon::None);
}

} // namespace

void Form1::PushButton2_Click()
{
    Trap trap = makeTrap("PushButton2_Click");
    // During a run the button reads "Stop Converting".
    if (trap.test(100, [&] { return Converting; })) {
        StopConversion();
        return;
    }
    trap.at(102, [&] { Converting = true; });
    if (trap.test(104, [&] { return itemCount() == 0; })) {
        trap.at(160, [&] { showMessage(*this, QStringLiteral("No files added.")); });
    } else if (trap.test(106, [&] {
                   const UserFolder folder = FolderFromUserText(Text1->text());
                   return (!folder.relative && IsFolder(folder.path) == true) ||
                          Option2->isChecked();
               })) {
        startConversion(trap);
        return;
    } else {
        trap.at(158, [&] {
            const UserFolder folder = FolderFromUserText(Text1->text());
            showMessage(*this, folder.relative && !folder.path.isEmpty()
                                   ? RelativeFolderRefusal(folder.path)
                                   : QStringLiteral(
                                         "Folder does not exist. Please select another folder."));
        });
    }
    trap.at(162, [&] { Converting = false; });
}

void Form1::startConversion(const Trap& trap)
{
    if (!runHost_)
        runHost_ = std::make_unique<RunHost>(*this);
    ConverterSupply supply{context_.loadConverter, context_.converterFolders,
                           context_.installedConverter};
    run_ = new ConversionRun(*runHost_, trap, std::move(supply), context_.converterLimits, this);
    connect(run_, &ConversionRun::ended, this, &Form1::conversionEnded);
    PushButton2->setText(kStopText);
    PushButton6->setEnabled(false);
    run_->start();
}

void Form1::StopConversion()
{
    if (run_)
        run_->stop();
}

void Form1::conversionEnded()
{
    Trap trap = makeTrap("PushButton2_Click");
    PushButton2->setText(kStartText);
    PushButton6->setEnabled(true);
    QString summary = run_->summary();
    // Said once, quietly, rather than by every handler that stores a choice.
    if (const auto problem = context_.settings->takeUnreportedProblem())
        summary += QStringLiteral("\n\nYour settings could not be saved: %1").arg(*problem);
    // The run that ends here may still be on the stack below us.
    run_->deleteLater();
    run_ = nullptr;
    if (!closing_)
        trap.at(156, [&] { showMessage(*this, summary); });
    trap.at(162, [&] { Converting = false; });
    emit conversionFinished();
}
