#pragma once

#include <QSet>
#include <QString>

// The output paths of one run, kept apart. Where sources would share an output path, the first
// in list order keeps it and the next get " (2)", " (3)", ... before the extension. Paths are
// compared without regard to case on every platform: results copied to a Windows or macOS disk
// then never merge, and the names depend on the list alone, so running the same list again asks
// for the same names (which the converter then refuses to overwrite).
class OutputNames
{
public:
    // The path to write for a source whose output would be `path`; claims it for this run. An
    // output that would be the source itself (a name without extension beside itself) is
    // numbered too.
    QString claim(const QString& path, const QString& source = {});

private:
    bool tryClaim(const QString& path);

    QSet<QString> taken_;
};
