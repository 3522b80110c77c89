#pragma once

// What the sample tests share: the generator's manifests, running the converter, comparing images.
#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>
#include <ostream>
#include <string>
#include <vector>

struct SampleEntry
{
    QString file;         // absolute path of the generated file
    QString expected;     // the picture a converter must write, flattened on white (PPM)
    QString opaque;       // which of its pixels are fully opaque (PGM, 255 = opaque)
    int imageIndex = -1;  // the directory entry a reader must take; -1 for animations and PNG
    qint64 neededEnd = 0; // first byte past what the first frame needs
    QList<qint64> cuts;   // chunk and image boundaries
    std::string name;     // for test names: letters and digits only
};

// Test names and failure messages show the file, not the bytes of the entry.
inline void PrintTo(const SampleEntry& e, std::ostream* os)
{
    *os << e.file.toStdString();
}

// Entries of the samples and pointer files beside the program.
std::vector<SampleEntry> ProgramFolderEntries();
// Entries of the extra .cur/.ico files written for the tests only.
std::vector<SampleEntry> TestFileEntries();

struct ConverterRun
{
    bool started = false;
    QString startError; // why it did not start
    bool crashed = false;
    int exitCode = -1;
    QByteArray standardError;
};

ConverterRun RunConverter(const QStringList& arguments);

// True when stderr holds exactly one non-empty line naming `sourceName`; else says what is wrong.
QString CheckOneErrorLine(const QByteArray& standardError, const QString& sourceName);

// Lays straight alpha onto white by the same rule as the generator's expectations.
QImage FlattenedOnWhite(const QImage& image);

// Empty when equal; else the size difference or the first differing pixel and the count.
QString CompareRgb(const QImage& actual, const QImage& expected);
