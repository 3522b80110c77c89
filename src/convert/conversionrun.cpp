#include "conversionrun.h"

#include "baranimation.h"
#include "conversioncommand.h"
#include "failurereason.h"
#include "outputchoice.h"
#include "paths.h"
#include "progressmath.h"
#include "provisioning.h"

#include <QFileInfo>

namespace {

constexpr int kHiddenWindow = 0;

} // namespace

ConversionRun::ConversionRun(ConversionHost& host, Trap trap, ConverterSupply supply,
                             ConverterProcess::Limits limits, QObject* parent)
    : QObject(parent), host_(host), trap_(std::move(trap)), supply_(std::move(supply)),
      limits_(limits)
{
}

// A run torn down early (the window destroyed) still kills its converter and removes its file.
ConversionRun::~ConversionRun() = default;

void ConversionRun::start()
{
    if (state_ != State::Idle)
        return;
    state_ = State::Running;
    trap_.at(110, [&] { host_.setBusy(true); });
    QByteArray build;
    trap_.at(114, [&] { build = supply_.load ? supply_.load() : LoadConverterBuild(); });
    // Each run has a converter file of its own, so another window's run never loses its file.
    ProvisionedConverter provisioned;
    trap_.at(116,
             [&] { provisioned = ProvisionConverter(build, supply_.folders, supply_.installed); });
    trap_.at(118, [&] { host_.setBusy(false); });
    trap_.at(120, [&] {
        if (provisioned.lease)
            converter_ = provisioned.lease->path();
    });
    lease_ = std::move(provisioned.lease);
    trap_.at(122, [&] { count_ = host_.itemCount(); });
    if (!lease_)
        report_.setConverterProblem(provisioned.passedOver);
    startNextFiles();
}

void ConversionRun::stop()
{
    if (state_ != State::Running)
        return;
    stopRequested_ = true;
    if (process_ && process_->isDone()) {
        onConverterFinished(); // its result is in; count it
    } else if (process_) {
        process_.reset(); // kills it
        // Killed after its output was complete and in place: that file did convert.
        if (!outputExisted_ && !output_.isEmpty() && QFileInfo::exists(output_))
            ++converted_;
    }
    // While files are being started, the loop there ends the run.
    if (!advancing_)
        finish();
}

QString ConversionRun::summary() const
{
    return report_.summary(count_);
}

void ConversionRun::startNextFiles()
{
    advancing_ = true;
    while (!stopRequested_ && index_ < count_) {
        ++index_;
        if (startFile(index_)) {
            advancing_ = false;
            return; // the converter's signal brings us back
        }
    }
    advancing_ = false;
    finish();
}

bool ConversionRun::startFile(int index)
{
    bool sourceRead = false;
    trap_.at(124, [&] {
        source_ = host_.itemText(index);
        sourceRead = true;
    });
    trap_.at(126, [&] { host_.progress().setValue(ProgressValue(index, host_.itemCount())); });
    trap_.at(128, [&] {
        host_.progress().setText(QStringLiteral("Processing: ") + FileNameOf(source_));
    });
    trap_.at(132, [&] { host_.setBusy(true); });
    const OutputChoice choice = host_.outputChoice();
    std::optional<QString> output;
    QString noOutput = QStringLiteral("no destination chosen");
    if (trap_.test(134, [&] { return host_.savesToFolder(); })) {
        trap_.at(136, [&] {
            // Changed during the run to a path that names no root: where it leads depends on
            // the folder the program was started in.
            const UserFolder folder = FolderFromUserText(host_.folderText());
            if (folder.relative)
                noOutput =
                    QStringLiteral("the output folder %1 is not a full path").arg(folder.path);
            else
                output = outputNames_.claim(
                    *OutputPath({true, false, folder.path, ExtensionOf(choice)}, source_));
        });
    } else if (trap_.test(138, [&] { return host_.savesBesideSource(); })) {
        trap_.at(140, [&] {
            output =
                outputNames_.claim(*OutputPath({false, true, {}, ExtensionOf(choice)}, source_));
        });
    }
    output_ = output.value_or(QString());
    QStringList arguments;
    trap_.at(142, [&] {
        if (output)
            arguments = ConverterArguments(choice, host_.quality(), *output, source_);
    });
    QString failure = QStringLiteral("an error was reported while converting it");
    bool started = false;
    trap_.at(144, [&] {
        if (!sourceRead) {
            failure = QStringLiteral("it was no longer in the list");
        } else if (!output) {
            failure = noOutput;
        } else if (converter_.isEmpty()) {
            failure = QStringLiteral("the converter could not be started");
        } else if (const auto problem = ConverterFileProblem(converter_)) {
            failure = *problem;
        } else {
            outputExisted_ = QFileInfo::exists(*output);
            process_ = std::make_unique<ConverterProcess>(limits_);
            // Queued: a program that cannot start is reported from inside start().
            connect(process_.get(), &ConverterProcess::finished, this,
                    &ConversionRun::onConverterFinished, Qt::QueuedConnection);
            process_->start(converter_, arguments, kHiddenWindow, &host_.progress(),
                            host_.progressText(), host_.progressValue(), host_.itemCount());
            started = true;
        }
    });
    if (!started)
        report_.addFailure(sourceRead ? source_ : QStringLiteral("item %1").arg(index), failure,
                           output_);
    return started;
}

void ConversionRun::onConverterFinished()
{
    if (!process_ || !process_->isDone())
        return; // abandoned by stop(), or counted there already
    const int timeoutSeconds = (limits_.timeoutMilliseconds + 999) / 1000;
    const QString reason = FailureReason(process_->outcome(), output_, timeoutSeconds);
    process_.reset();
    if (reason.isEmpty())
        ++converted_;
    else
        report_.addFailure(source_, reason, output_);
    if (stopRequested_ || state_ != State::Running)
        return;
    startNextFiles();
}

void ConversionRun::finish()
{
    if (state_ != State::Running)
        return;
    state_ = State::Ended;
    if (stopRequested_)
        report_.setStopped(converted_);
    trap_.at(148, [&] { lease_.reset(); });
    trap_.at(150, [&] { host_.setBusy(false); });
    trap_.at(152, [&] { host_.progress().setValue(0); });
    trap_.at(154, [&] { host_.progress().setText(QStringLiteral("Progress Bar")); });
    emit ended();
}
