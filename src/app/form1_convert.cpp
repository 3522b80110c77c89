#include "conversionrun.h"
#include "dialogs.h"
#include "form1.h"
#include "form1_runhost.h"
#include "runplan.h"
#include "settingsstore.h"
#include "themereport.h"
#include "trap.h"

#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QThread>

namespace {

const QString kStartText = QStringLiteral("Start Converting");
const QString kStopText = QStringLiteral("Stop Converting");
const QString kInstallText = QStringLiteral("&Install for Me");
const QString kSeeText = QStringLiteral("&See the Cursors");

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
    std::optional<PlanChoices> choices;
    if (trap.test(104, [&] { return itemCount() == 0; })) {
        trap.at(160, [&] { showMessage(*this, QStringLiteral("No files added.")); });
    } else {
        trap.at(106, [&] {
            const StartDecision decision =
                DecideStart({Option1->isChecked(), Option2->isChecked(), Text1->text(),
                             outputChoice(), Slider1->value(), background(), cursorSizes()});
            choices = decision.choices;
            if (!choices)
                showMessage(*this, decision.refusal);
        });
    }
    if (choices) {
        startConversion(*choices);
        return;
    }
    trap.at(162, [&] { Converting = false; });
}

void Form1::startConversion(const PlanChoices& choices)
{
    // The sources as listed now: what the user does to the list from here on changes no file
    // of this run.
    RunPlan plan(choices);
    plan.add(itemTexts());
    startRun(std::move(plan));
}

void Form1::startInstall(PlanChoices choices, const QStringList& sources)
{
    choices.install = true;
    choices.folder.clear();
    RunPlan plan(choices);
    plan.add(sources);
    Converting = true;
    startRun(std::move(plan));
}

void Form1::startRun(RunPlan plan)
{
    if (!runHost_)
        runHost_ = std::make_unique<RunHost>(*this);
    RunSettings settings;
    settings.converters =
        ConverterCount(context_.settings->read(QStringLiteral("Converters"), QString()),
                       QThread::idealThreadCount());
    settings.limits = context_.converterLimits;
    settings.tickMilliseconds = context_.barTickMilliseconds;
    ConverterSupply supply{context_.loadConverter, context_.converterFolders,
                           context_.installedConverter};
    run_ = new ConversionRun(std::move(plan), *runHost_, std::move(supply), settings, this);
    connect(run_, &ConversionRun::ended, this, &Form1::conversionEnded);
    PushButton2->setText(kStopText);
    ShowRunning(true);
    run_->start();
}

void Form1::ShowRunning(bool running)
{
    // Nothing that would change the run's plan can be touched while it goes on.
    PushButton6->setEnabled(!running);
    Option1->setEnabled(!running);
    Option2->setEnabled(!running);
    Combo1->setEnabled(!running);
    Frame3->setEnabled(!running && Option1->isChecked());
    Slider1->setEnabled(!running && UsesQuality(outputChoice()));
    SizesRow->setEnabled(!running);
    BackgroundButton->setEnabled(!running && UsesBackground(outputChoice()));
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
    ShowRunning(false);
    const PlanChoices choices = run_->plan().choices();
    std::optional<ThemeRunReport> themes;
    if (choices.output == OutputChoice::CursorTheme)
        themes.emplace(run_->plan(), run_->report(), context_.themesInstallHere);
    QString summary = themes ? themes->text() : run_->summary();
    const QString details = themes ? themes->details() : run_->report().details();
    // Said once, quietly, rather than by every handler that stores a choice.
    if (const auto problem = context_.settings->takeUnreportedProblem())
        summary += QStringLiteral("\n\n") + *problem;
    // The run that ends here may still be on the stack below us.
    run_->deleteLater();
    run_ = nullptr;
    std::optional<QStringList> install;
    if (!closing_) {
        trap.at(156, [&] {
            if (themes)
                install = ShowThemeBox(*themes, summary, choices.install);
            else
                context_.dialogs->reportBox(summary, details, applicationTitle());
        });
    }
    trap.at(162, [&] { Converting = false; });
    emit conversionFinished();
    if (install)
        trap.at(164, [&] { startInstall(choices, *install); });
}

std::optional<QStringList> Form1::ShowThemeBox(const ThemeRunReport& report, const QString& text,
                                               bool installed)
{
    QStringList actions;
    if (!installed && context_.themesInstallHere && !report.sourcesOfThemes().isEmpty())
        actions.append(kInstallText);
    if (!report.themeFolders().isEmpty())
        actions.append(kSeeText);
    // The box comes back after the preview, so the user can still install what they saw.
    for (;;) {
        const std::optional<int> chosen =
            context_.dialogs->actionReportBox(text, report.details(), applicationTitle(), actions);
        if (!chosen)
            return std::nullopt;
        if (actions.value(*chosen) == kInstallText)
            return report.sourcesOfThemes();
        context_.dialogs->showThemePreview(report.themeFolders(), applicationTitle());
    }
}
