#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <map>
#include <vector>

// How a run ended.
enum class RunEnd {
    // Every planned file was tried.
    Completed,
    // The user stopped it (Stop, Escape, closing the window).
    Stopped,
    // The output folder could no longer take results; the files left were not tried.
    FolderUnusable,
    // The converter could be put nowhere it would start; no file was tried.
    NoConverter,
};

// The outcome of a run: how many files were converted, which could not be and why, and the text
// of the box that ends the run, with every failure in its details.
class ConversionReport
{
public:
    // The box lists this many failures; its details hold them all.
    static constexpr int kListedFailures = 10;
    // Longer paths are shortened in the middle, so the reason after them stays in view and the
    // box keeps a sensible width.
    static constexpr int kShownPathChars = 72;

    // output: the file the converter was asked to write, if any; shortened like the source.
    // Failures are listed by `order` (the file's place in the run), whatever order they came in.
    void addFailure(const QString& source, const QString& reason, const QString& output = {},
                    qsizetype order = -1);
    void addConverted() { ++converted_; }
    // What the converter of the job at `order` told on its standard output, kept for the box.
    void addOutput(qsizetype order, const QByteArray& output, bool cut);
    int failureCount() const { return static_cast<int>(failures_.size()); }
    int convertedCount() const { return converted_; }

    // why: the folder's problem, or one line per place the converter was tried.
    void setEnd(RunEnd end, const QStringList& why = {});
    RunEnd end() const { return end_; }

    // "Done." only when every one of the total files converted. Otherwise how many converted
    // and how many did not, and why: the first failures with their reasons, the rest counted.
    // What is counted may be called otherwise ("theme pack", "theme packs").
    QString summary(int total, const QString& one = QStringLiteral("file"),
                    const QString& many = QStringLiteral("files")) const;
    // Every failure, one line each ("source: reason"), whole; empty when there was none.
    QString details() const;

    struct Output
    {
        QByteArray text;
        bool cut = false;
    };
    // The outputs kept, by the job's place in the run.
    const std::map<qsizetype, Output>& outputs() const { return outputs_; }

private:
    struct Failure
    {
        QString source;
        QString reason;
        QString output;
        qsizetype order = 0;
    };
    QString failureLine(const Failure& failure) const;

    // Kept in order.
    std::vector<Failure> failures_;
    std::map<qsizetype, Output> outputs_;
    int converted_ = 0;
    RunEnd end_ = RunEnd::Completed;
    QStringList why_;
};

// The text with its middle replaced by an ellipsis when it is longer than maxChars.
QString ElideMiddle(const QString& text, int maxChars);
