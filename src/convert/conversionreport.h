#pragma once

#include <QString>
#include <vector>

// The outcome of a run: which files could not be converted and why, and the text of the box
// that ends the run.
class ConversionReport
{
public:
    static constexpr int kListedFailures = 20;

    void addFailure(const QString& source, const QString& reason);
    int failureCount() const { return static_cast<int>(failures_.size()); }

    // "Done." when every file converted; otherwise "Done." followed by how many of the total
    // failed and the first of them with their reasons.
    QString summary(int total) const;

private:
    struct Failure
    {
        QString source;
        QString reason;
    };
    std::vector<Failure> failures_;
};
