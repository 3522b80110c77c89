#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// The outcome of a run: which files could not be converted and why, and the text of the box
// that ends the run.
class ConversionReport
{
public:
    static constexpr int kListedFailures = 20;
    // Longer paths are shortened in the middle, so the reason after them stays in view and the
    // box keeps a sensible width.
    static constexpr int kShownPathChars = 72;

    // output: the file the converter was asked to write, if any; shortened like the source.
    void addFailure(const QString& source, const QString& reason, const QString& output = {});
    int failureCount() const { return static_cast<int>(failures_.size()); }

    // Why the converter could not run at all: one line per folder it was tried in.
    void setConverterProblem(const QStringList& passedOver) { converterProblem_ = passedOver; }

    // The run was stopped before its end, with this many files converted.
    void setStopped(int converted)
    {
        stopped_ = true;
        converted_ = converted;
    }

    // "Done." when every file converted; otherwise "Done." followed by how many of the total
    // failed and the first of them with their reasons. A stopped run says so and how many files
    // were converted.
    QString summary(int total) const;

private:
    struct Failure
    {
        QString source;
        QString reason;
        QString output;
    };
    std::vector<Failure> failures_;
    QStringList converterProblem_;
    bool stopped_ = false;
    int converted_ = 0;
};

// The text with its middle replaced by an ellipsis when it is longer than maxChars.
QString ElideMiddle(const QString& text, int maxChars);
