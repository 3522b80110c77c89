#include "bartext.h"
#include "conversioncommand.h"
#include "conversionreport.h"
#include "converterlocation.h"
#include "dialogs.h"
#include "events.h"
#include "form1.h"
#include "modprocess.h"
#include "paths.h"
#include "progressmath.h"
#include "provisioning.h"
#include "trap.h"

#include <QLineEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QSlider>

namespace {

constexpr int kHiddenWindow = 0;

void showMessage(const Form1& form, const QString& text)
{
    form.context().dialogs->messageBox(text, form.applicationTitle(), MessageButtons::Ok,
                                       MessageIcon::None);
}

// Puts the converter in place, converts every listed file and reports the outcome. Only the
// number of files is fixed at the start; the list, the options and the quality are read afresh
// for each file, as the user may change them while the run goes on.
void ConvertListedFiles(Form1& form, Trap& trap)
{
    const AppContext& context = form.context();
    QProgressBar& bar = *form.ProgressBar1;

    trap.at(108, [&] { LetEventsRun(); });
    trap.at(110, [&] { form.setMousePointer(MousePointer::kHourglass); });
    QByteArray build;
    trap.at(114, [&] {
        build = context.loadConverter ? context.loadConverter() : LoadConverterBuild();
    });
    // Each run has a converter file of its own, so another window's run never loses its file.
    ProvisionedConverter provisioned;
    trap.at(116, [&] { provisioned = ProvisionConverter(build, context.converterFolders); });
    trap.at(118, [&] { form.setMousePointer(MousePointer::kDefault); });
    QString converter;
    trap.at(120, [&] {
        if (provisioned.lease)
            converter = provisioned.lease->path();
    });

    int count = 0;
    trap.at(122, [&] { count = form.itemCount(); });
    ConversionReport report;
    if (!provisioned.lease)
        report.setConverterProblem(provisioned.passedOver);
    QString source;
    for (int i = 1; i <= count; ++i) {
        bool sourceRead = false;
        trap.at(124, [&] {
            source = form.itemText(i);
            sourceRead = true;
        });
        trap.at(126, [&] { bar.setValue(ProgressValue(i, form.itemCount())); });
        trap.at(128, [&] { SetBarText(bar, QStringLiteral("Processing: ") + FileNameOf(source)); });
        trap.at(130, [&] { LetEventsRun(); });
        trap.at(132, [&] { form.setMousePointer(MousePointer::kHourglass); });
        std::optional<QString> output;
        if (trap.test(134, [&] { return form.Option1->isChecked(); })) {
            trap.at(136, [&] { output = OutputPath({true, false, form.Text1->text()}, source); });
        } else if (trap.test(138, [&] { return form.Option2->isChecked(); })) {
            trap.at(140, [&] { output = OutputPath({false, true, {}}, source); });
        }
        QStringList arguments;
        trap.at(142, [&] {
            if (output)
                arguments = ConverterArguments(form.Slider1->value(), *output, source);
        });
        QString failure = QStringLiteral("an error was reported while converting it");
        trap.at(144, [&] {
            if (!sourceRead) {
                failure = QStringLiteral("it was no longer in the list");
            } else if (!output) {
                failure = QStringLiteral("no destination chosen");
            } else if (converter.isEmpty()) {
                failure = QStringLiteral("the converter could not be started");
            } else if (const auto problem = ConverterFileProblem(converter)) {
                failure = *problem;
            } else {
                const RunOutcome outcome = RunAndWait(converter, arguments, kHiddenWindow, &bar,
                                                      BarText(bar), bar.value(), form.itemCount());
                failure =
                    outcome.succeeded() ? QString() : ReasonForWindow(outcome.reason(), *output);
            }
        });
        if (!failure.isEmpty())
            report.addFailure(sourceRead ? source : QStringLiteral("item %1").arg(i), failure,
                              output.value_or(QString()));
    }

    trap.at(148, [&] { provisioned.lease.reset(); });
    trap.at(150, [&] { form.setMousePointer(MousePointer::kDefault); });
    trap.at(152, [&] { bar.setValue(0); });
    trap.at(154, [&] { SetBarText(bar, QStringLiteral("Progress Bar")); });
    trap.at(156, [&] { showMessage(form, report.summary(count)); });
}

} // namespace

void Form1::PushButton2_Click()
{
    Trap trap = makeTrap("PushButton2_Click");
    if (trap.test(100, [&] { return Converting; }))
        return;
    trap.at(102, [&] { Converting = true; });
    if (trap.test(104, [&] { return itemCount() == 0; })) {
        trap.at(160, [&] { showMessage(*this, QStringLiteral("No files added.")); });
    } else if (trap.test(106,
                         [&] { return IsFolder(Text1->text()) == true || Option2->isChecked(); })) {
        ConvertListedFiles(*this, trap);
    } else {
        trap.at(158, [&] {
            showMessage(*this,
                        QStringLiteral("Folder does not exist. Please select another folder."));
        });
    }
    trap.at(162, [&] { Converting = false; });
}
