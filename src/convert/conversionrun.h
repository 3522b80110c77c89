#pragma once

#include "conversionreport.h"
#include "modprocess.h"
#include "runplan.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class BarAnimation;
class ConverterLease;
class ProgressDisplay;

// What a run shows on the window.
class ConversionHost
{
public:
    virtual ~ConversionHost() = default;
    virtual ProgressDisplay& progress() = 0;
    virtual void setBusy(bool busy) = 0;
};

// Where a run gets its converter from.
struct ConverterSupply
{
    // The converter build carried by the program; throws AppError when it cannot be had.
    std::function<QByteArray()> load;
    // The per-user folders it may be written to, in the order they are tried.
    QStringList folders;
    // The converter installed with the program, run where it is when it may be; "" for none.
    QString installed;
};

struct RunSettings
{
    // How many converters run at once, 1 or more.
    int converters = 1;
    ConverterProcess::Limits limits;
    // How often the bar is drawn at most, and its wait animation moves; 0 draws every change
    // at once and animates nothing.
    int tickMilliseconds = 100;
};

// One conversion run: converts every file of its plan with several converter processes at once,
// advancing on their signals so the window's thread never waits. Results, names and the final
// report do not depend on the order in which converters finish. It can be stopped at any time:
// running converters are asked to end and leave no partial output.
class ConversionRun : public QObject
{
    Q_OBJECT

public:
    // Ready: not started. Running: converting. Stopping: no file is started any more and the
    // running converters have been asked to end. Ended: over, ended() has been emitted.
    enum class State { Ready, Running, Stopping, Ended };

    ConversionRun(RunPlan plan, ConversionHost& host, ConverterSupply supply, RunSettings settings,
                  QObject* parent = nullptr);
    ~ConversionRun() override;

    // Puts the converter in place and starts the first files.
    void start();
    // Ends the run as stopped once its converters have ended.
    void stop();
    // Plans the sources at the end of the run; false when the run takes no more files.
    bool add(const QStringList& sources);

    State state() const { return state_; }
    const RunPlan& plan() const { return plan_; }
    const ConversionReport& report() const { return report_; }
    // The text of the box that ends the run; complete once ended() has been emitted.
    QString summary() const
    {
        return report_.summary(static_cast<int>(plan_.size()), plan_.itemWord(1),
                               plan_.itemWord(2));
    }

signals:
    void ended();

private:
    struct Running
    {
        std::unique_ptr<ConverterProcess> process;
        qsizetype index = 0;
    };

    void startFiles();
    // Whether the job must wait for one running now (see startFiles).
    bool waitsForRunning(qsizetype index) const;
    void startFile(qsizetype index);
    void onConverterFinished(ConverterProcess* process);
    void record(const RunOutcome& outcome, qsizetype index);
    // No more files are started; those running are asked to end.
    void wind(RunEnd end, const QStringList& why = {});
    void finishWhenIdle();
    void showStatus();
    void showPendingStatus();

    RunPlan plan_;
    ConversionHost& host_;
    ConverterSupply supply_;
    RunSettings settings_;
    State state_ = State::Ready;
    RunEnd end_ = RunEnd::Completed;
    QStringList endWhy_;

    std::unique_ptr<ConverterLease> lease_;
    QString converter_;
    std::vector<Running> running_;
    qsizetype next_ = 0;
    ConversionReport report_;

    QTimer tick_;
    std::unique_ptr<BarAnimation> animation_;
    // What the bar is to show next, and when it was last drawn.
    struct Status
    {
        QString text;
        int value = 0;
    };
    std::optional<Status> status_;
    QElapsedTimer shown_;
};

// What the bar says about the files being converted: the lead ("Processing: ") and their names,
// the first few of them when there are many.
QString ProcessingText(const QStringList& names,
                       const QString& lead = QStringLiteral("Processing: "));
