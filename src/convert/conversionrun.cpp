#include "conversionrun.h"

#include "apperror.h"
#include "baranimation.h"
#include "exitcodes.h"
#include "failurereason.h"
#include "outputfolder.h"
#include "paths.h"
#include "progressmath.h"
#include "provisioning.h"

#include <algorithm>

namespace {

constexpr int kHiddenWindow = 0;
constexpr int kNamesShown = 3;
// A theme's report is a line per cursor of the pack; no real pack comes near this.
constexpr qsizetype kKeptOutputBytes = 1024 * 1024;

} // namespace

QString ProcessingText(const QStringList& names, const QString& lead)
{
    QString text = lead + names.mid(0, kNamesShown).join(QStringLiteral(", "));
    if (names.size() > kNamesShown)
        text += QStringLiteral(" and %1 more").arg(names.size() - kNamesShown);
    return text;
}

ConversionRun::ConversionRun(RunPlan plan, ConversionHost& host, ConverterSupply supply,
                             RunSettings settings, QObject* parent)
    : QObject(parent), plan_(std::move(plan)), host_(host), supply_(std::move(supply)),
      settings_(settings)
{
    settings_.converters = std::max(settings_.converters, 1);
    tick_.setInterval(settings_.tickMilliseconds);
    connect(&tick_, &QTimer::timeout, this, [this] {
        if (status_)
            showPendingStatus();
        else if (animation_)
            animation_->tick();
    });
}

// Torn down early (the window destroyed), a run still asks its converters to end and waits for
// them, and removes its converter file.
ConversionRun::~ConversionRun()
{
    for (Running& file : running_)
        file.process->stop();
    running_.clear();
}

void ConversionRun::start()
{
    if (state_ != State::Ready)
        return;
    state_ = State::Running;
    host_.setBusy(true);
    ProvisionedConverter provisioned;
    try {
        const QByteArray build = supply_.load ? supply_.load() : LoadConverterBuild();
        // Each run has a converter file of its own, so another window's run never loses its file.
        provisioned = ProvisionConverter(build, supply_.folders, supply_.installed);
    } catch (const AppError& error) {
        provisioned.passedOver.append(error.description());
    }
    lease_ = std::move(provisioned.lease);
    if (!lease_) {
        wind(RunEnd::NoConverter, provisioned.passedOver);
        return;
    }
    converter_ = lease_->path();
    if (settings_.tickMilliseconds > 0)
        tick_.start();
    startFiles();
}

void ConversionRun::stop()
{
    if (state_ == State::Ready) {
        state_ = State::Running;
        wind(RunEnd::Stopped);
    } else if (state_ == State::Running) {
        wind(RunEnd::Stopped);
    }
}

bool ConversionRun::add(const QStringList& sources)
{
    if (state_ != State::Ready && state_ != State::Running)
        return false;
    plan_.add(sources);
    if (state_ == State::Running)
        startFiles();
    return true;
}

void ConversionRun::startFiles()
{
    while (state_ == State::Running && next_ < plan_.size() &&
           static_cast<int>(running_.size()) < settings_.converters && !waitsForRunning(next_))
        startFile(next_++);
    showStatus();
    finishWhenIdle();
}

// Jobs that name their outputs in one folder run one after another, in the plan's order: which
// of two themes of one name is numbered then follows the plan, not which converter finished
// first.
bool ConversionRun::waitsForRunning(qsizetype index) const
{
    const PlannedFile& file = plan_.at(index);
    return file.namesItsOutput &&
           std::any_of(running_.begin(), running_.end(), [&](const Running& other) {
               const PlannedFile& running = plan_.at(other.index);
               return running.namesItsOutput &&
                      QString::compare(running.output, file.output, Qt::CaseInsensitive) == 0;
           });
}

void ConversionRun::startFile(qsizetype index)
{
    if (const auto problem = ConverterFileProblem(converter_)) {
        wind(RunEnd::NoConverter, {*problem});
        return;
    }
    const PlannedFile& file = plan_.at(index);
    // A converter that names its outputs makes its folder when it is missing; a folder that went
    // away would come back unnoticed.
    if (file.namesItsOutput && !plan_.choices().besideSources()) {
        if (const auto problem = OutputFolderProblem(plan_.choices().folder)) {
            wind(RunEnd::FolderUnusable, {*problem});
            return;
        }
    }
    auto process = std::make_unique<ConverterProcess>(settings_.limits);
    if (file.namesItsOutput)
        process->keepOutput(kKeptOutputBytes);
    ConverterProcess* raw = process.get();
    running_.push_back({std::move(process), index});
    raw->start(converter_, file.arguments, kHiddenWindow);
    // A program that cannot start says so from inside start(); it is dealt with once this loop
    // of starts is over. The others are followed at once: waiting for another turn of the event
    // loop would keep a core idle between two files.
    if (raw->isDone()) {
        QMetaObject::invokeMethod(
            this, [this, raw] { onConverterFinished(raw); }, Qt::QueuedConnection);
        return;
    }
    connect(raw, &ConverterProcess::finished, this, [this, raw] { onConverterFinished(raw); });
}

void ConversionRun::onConverterFinished(ConverterProcess* process)
{
    const auto it = std::find_if(running_.begin(), running_.end(), [&](const Running& file) {
        return file.process.get() == process;
    });
    if (it == running_.end())
        return;
    const RunOutcome outcome = process->outcome();
    const qsizetype index = it->index;
    // Deleted later: this may run inside the process's own signal.
    it->process.release()->deleteLater();
    running_.erase(it);
    record(outcome, index);
    if (state_ == State::Running)
        startFiles();
    else
        finishWhenIdle();
}

void ConversionRun::record(const RunOutcome& outcome, qsizetype index)
{
    const PlannedFile& file = plan_.at(index);
    // Asked to end by us: stopped, not failed.
    const bool stopped = outcome.stopped && !outcome.timedOut;
    // What it made, and what it could not, even when it made nothing.
    if (file.namesItsOutput && outcome.started && (outcome.succeeded() || !stopped))
        report_.addOutput(index, outcome.output, outcome.outputCut);
    if (outcome.succeeded()) {
        report_.addConverted();
        return;
    }
    if (stopped)
        return;
    const int timeoutSeconds = (settings_.limits.timeoutMilliseconds + 999) / 1000;
    const QString reason = FailureReason(outcome, file.source, file.output, timeoutSeconds);
    if (!outcome.started) {
        if (state_ == State::Running)
            wind(RunEnd::NoConverter, {reason});
        return;
    }
    const bool cannotWrite =
        !outcome.crashed && !outcome.timedOut && outcome.code == nconv::kExitCannotWrite;
    if (cannotWrite && !plan_.choices().besideSources()) {
        // The folder's fault ends the run; the file itself was fine.
        if (end_ == RunEnd::FolderUnusable)
            return;
        if (const auto problem = OutputFolderProblem(plan_.choices().folder)) {
            if (state_ == State::Running) {
                wind(RunEnd::FolderUnusable, {*problem});
                return;
            }
        }
    }
    report_.addFailure(file.source, reason, file.output, index);
}

void ConversionRun::wind(RunEnd end, const QStringList& why)
{
    if (state_ != State::Running)
        return;
    state_ = State::Stopping;
    end_ = end;
    endWhy_ = why;
    for (Running& file : running_)
        file.process->stop();
    showStatus();
    finishWhenIdle();
}

void ConversionRun::finishWhenIdle()
{
    if (!running_.empty())
        return;
    if (state_ == State::Running && next_ < plan_.size())
        return;
    if (state_ != State::Running && state_ != State::Stopping)
        return;
    state_ = State::Ended;
    tick_.stop();
    animation_.reset();
    status_.reset();
    report_.setEnd(end_, endWhy_);
    lease_.reset();
    host_.setBusy(false);
    host_.progress().setValue(0);
    host_.progress().setText(QStringLiteral("Progress Bar"));
    emit ended();
}

void ConversionRun::showStatus()
{
    if (state_ != State::Running && state_ != State::Stopping)
        return;
    QStringList names;
    for (const Running& file : running_)
        names.append(FileNameOf(plan_.at(file.index).source));
    if (names.isEmpty())
        return;
    const int total = static_cast<int>(plan_.size());
    status_ =
        Status{ProcessingText(names, state_ == State::Stopping ? QStringLiteral("Stopping: ")
                                                               : QStringLiteral("Processing: ")),
               ProgressValue(static_cast<int>(next_), total)};
    // Drawing the bar for every file would cost the window more than starting the converters:
    // it is drawn at most once a tick, the latest news first.
    if (!shown_.isValid() || shown_.elapsed() >= settings_.tickMilliseconds)
        showPendingStatus();
}

void ConversionRun::showPendingStatus()
{
    if (!status_)
        return;
    ProgressDisplay& display = host_.progress();
    display.setValue(status_->value);
    display.setText(status_->text);
    animation_ = std::make_unique<BarAnimation>(display, status_->text, status_->value,
                                                static_cast<int>(plan_.size()));
    status_.reset();
    shown_.start();
}
