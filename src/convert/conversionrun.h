#pragma once

#include "conversionreport.h"
#include "modprocess.h"
#include "outputchoice.h"
#include "outputnames.h"
#include "trap.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

class ConverterLease;
class ProgressDisplay;

// What a run reads from and shows on the window. Everything is read when a file starts, as the
// user may change the list and the options while the run goes on.
class ConversionHost
{
public:
    virtual ~ConversionHost() = default;

    // The list, addressed from 1; itemText throws AppError for an item that is gone.
    virtual int itemCount() const = 0;
    virtual QString itemText(int index) const = 0;
    // "Save results to this folder:" and its folder; "Save results in folder of original file".
    virtual bool savesToFolder() const = 0;
    virtual QString folderText() const = 0;
    virtual bool savesBesideSource() const = 0;
    virtual OutputChoice outputChoice() const = 0;
    virtual int quality() const = 0;

    virtual ProgressDisplay& progress() = 0;
    virtual QString progressText() const = 0;
    virtual int progressValue() const = 0;
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

// One conversion run: converts every listed file in list order, one converter process at a time,
// advancing on the process's signals so the window's thread never waits. It can be stopped at
// any time; the converter that is running is killed and leaves no output.
class ConversionRun : public QObject
{
    Q_OBJECT

public:
    ConversionRun(ConversionHost& host, Trap trap, ConverterSupply supply,
                  ConverterProcess::Limits limits, QObject* parent = nullptr);
    ~ConversionRun() override;

    // Puts the converter in place and starts the first file.
    void start();
    // Kills the running converter, removes the converter file and ends the run as stopped.
    void stop();
    bool isRunning() const { return state_ == State::Running; }

    // The text of the box that ends the run; set once ended() has been emitted.
    QString summary() const;

signals:
    // The run is over: every file was tried, or it was stopped.
    void ended();

private:
    enum class State { Idle, Running, Ended };

    void startNextFiles();
    // Steps of one file up to starting its converter; false when the file failed before that.
    bool startFile(int index);
    void onConverterFinished();
    void finish();

    ConversionHost& host_;
    Trap trap_;
    ConverterSupply supply_;
    ConverterProcess::Limits limits_;
    State state_ = State::Idle;
    bool stopRequested_ = false;
    bool advancing_ = false;

    std::unique_ptr<ConverterLease> lease_;
    QString converter_;
    int count_ = 0;
    int index_ = 0;
    int converted_ = 0;
    OutputNames outputNames_;
    ConversionReport report_;

    // The file being converted.
    std::unique_ptr<ConverterProcess> process_;
    QString source_;
    QString output_;
    bool outputExisted_ = false;
};
