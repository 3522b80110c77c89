#include "samplecheck.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTextStream>

namespace {

std::vector<SampleEntry> ReadManifest(const QString& expectedDir, const QString& fileDir)
{
    std::vector<SampleEntry> entries;
    QFile file(expectedDir + "/manifest.txt");
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return entries;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QStringList fields = in.readLine().split(' ', Qt::SkipEmptyParts);
        if (fields.size() != 6)
            continue;
        SampleEntry e;
        e.file = fileDir + "/" + fields[0];
        e.expected = expectedDir + "/" + fields[1];
        e.opaque = expectedDir + "/" + fields[2];
        e.imageIndex = fields[3].toInt();
        e.neededEnd = fields[4].toLongLong();
        for (const QString& cut : fields[5].split(',', Qt::SkipEmptyParts))
            e.cuts.append(cut.toLongLong());
        for (QChar c : fields[0])
            e.name += c.isLetterOrNumber() ? char(c.toLatin1()) : '_';
        entries.push_back(e);
    }
    return entries;
}

} // namespace

std::vector<SampleEntry> ProgramFolderEntries()
{
    return ReadManifest(QStringLiteral(SAMPLES_EXPECTED_DIR), QStringLiteral(PROGRAM_FOLDER));
}

std::vector<SampleEntry> TestFileEntries()
{
    return ReadManifest(QStringLiteral(SAMPLE_TEST_FILES_DIR),
                        QStringLiteral(SAMPLE_TEST_FILES_DIR));
}

ConverterRun RunConverter(const QStringList& arguments)
{
    ConverterRun run;
    QProcess process;
    process.start(QStringLiteral(NCONVERT_PATH), arguments);
    run.started = process.waitForStarted();
    if (!run.started) {
        run.startError = process.errorString();
        return run;
    }
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        run.crashed = true;
    }
    run.crashed = run.crashed || process.exitStatus() == QProcess::CrashExit;
    run.exitCode = process.exitCode();
    run.standardError = process.readAllStandardError();
    return run;
}

QString CheckOneErrorLine(const QByteArray& standardError, const QString& sourceName)
{
    QByteArray text = standardError;
    if (text.endsWith('\n'))
        text.chop(1);
    if (text.trimmed().isEmpty())
        return QStringLiteral("no message on stderr");
    if (text.contains('\n'))
        return QStringLiteral("more than one stderr line:\n") + QString::fromUtf8(standardError);
    if (!QString::fromUtf8(text).contains(sourceName))
        return QStringLiteral("message does not name the source: ") + QString::fromUtf8(text);
    return {};
}

QImage FlattenedOnWhite(const QImage& image)
{
    QImage in = image.convertToFormat(QImage::Format_ARGB32);
    QImage out(in.size(), QImage::Format_RGB32);
    // out = (a * c + (255 - a) * 255 + 127) / 255, the generator's rule
    auto blend = [](int c, int a) { return (a * c + (255 - a) * 255 + 127) / 255; };
    for (int y = 0; y < in.height(); ++y)
        for (int x = 0; x < in.width(); ++x) {
            const QRgb p = in.pixel(x, y);
            const int a = qAlpha(p);
            out.setPixel(x, y, qRgb(blend(qRed(p), a), blend(qGreen(p), a), blend(qBlue(p), a)));
        }
    return out;
}

QString CompareRgb(const QImage& actual, const QImage& expected)
{
    if (actual.size() != expected.size())
        return QStringLiteral("size %1x%2, expected %3x%4")
            .arg(actual.width())
            .arg(actual.height())
            .arg(expected.width())
            .arg(expected.height());
    int differing = 0;
    QString first;
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x) {
            const QRgb a = actual.pixel(x, y), e = expected.pixel(x, y);
            if (qRed(a) == qRed(e) && qGreen(a) == qGreen(e) && qBlue(a) == qBlue(e))
                continue;
            if (differing++ == 0)
                first = QStringLiteral("pixel (%1,%2) is #%3, expected #%4")
                            .arg(x)
                            .arg(y)
                            .arg(a & 0xFFFFFF, 6, 16, QChar('0'))
                            .arg(e & 0xFFFFFF, 6, 16, QChar('0'));
        }
    return differing ? QStringLiteral("%1 pixels differ; %2").arg(differing).arg(first) : QString();
}
