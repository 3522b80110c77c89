#pragma once

#include <QString>
#include <QStringList>

// The files and folders named on the program's command line ("Open with", `corvenda *.ani`).
// They are listed at start-up exactly as dropped paths are; this class only turns the arguments
// into full paths and keeps the ones that are not there for a single report.
class CommandLineFiles
{
public:
    // arguments: without the program name. Relative paths are taken from workingFolder. A first
    // "--" is dropped, so a file whose name begins with a dash can be given after it.
    CommandLineFiles(const QStringList& arguments, const QString& workingFolder);

    // Full paths with native separators, in the order given.
    const QStringList& paths() const { return paths_; }

    // Records a path that turned out not to exist when it was listed.
    void markMissing(const QString& path) { missing_.append(path); }
    const QStringList& missing() const { return missing_; }

    // The text of the one box naming every path that was skipped.
    QString missingReport() const;

private:
    QStringList paths_;
    QStringList missing_;
};
