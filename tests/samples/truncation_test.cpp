// Every sample cut short at many places must be refused cleanly (non-zero exit, one stderr line
// naming the file, no output left behind) or converted to exactly the picture of the whole file.
//
// Converting is allowed because a cut can leave everything the first frame needs: the frames after
// it, the rest of the RIFF (whose size field real files often get wrong anyway), the AND mask of an
// alpha image, which is not drawn, or a PNG's closing chunk. Any other picture is not: a reader
// that fills missing rows, or falls back to a smaller image or another frame when the right one is
// cut off, would hand the user a picture the file does not hold and report success.
#include "samplecheck.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <set>

namespace {

// Boundaries and their neighbours, every 7th byte through the headers, and an even spread
// over the rest; enough to reach every parser state without running thousands of processes.
std::set<qint64> CutsFor(const SampleEntry& e, qint64 size)
{
    std::set<qint64> cuts = {0, 1, 4, 8, 11, 12, size - 1};
    for (qint64 b : e.cuts)
        for (qint64 c : {b - 1, b, b + 1})
            cuts.insert(c);
    for (qint64 c : {e.neededEnd - 1, e.neededEnd, e.neededEnd + 1})
        cuts.insert(c);
#ifdef _WIN32
    // A process start costs about half a second under Wine: there the boundaries and a few cuts
    // between them only.
    const qint64 spread = 6;
#else
    for (qint64 c = 3; c < std::min<qint64>(size, 400); c += 7)
        cuts.insert(c);
    const qint64 spread = 40;
#endif
    for (qint64 i = 1; i < spread; ++i)
        cuts.insert(size * i / spread | 1);
    std::erase_if(cuts, [&](qint64 c) { return c < 0 || c >= size; });
    return cuts;
}

class Truncated : public ::testing::TestWithParam<SampleEntry>
{
};

TEST_P(Truncated, IsRefusedCleanlyOrGivesTheFirstFrame)
{
    const SampleEntry& e = GetParam();
    QFile source(e.file);
    ASSERT_TRUE(source.open(QIODevice::ReadOnly)) << e.file.toStdString();
    const QByteArray whole = source.readAll();
    const QImage expected(e.expected);
    ASSERT_FALSE(expected.isNull());
    const QString name = QFileInfo(e.file).fileName();

    QTemporaryDir inDir, outDir;
    const QString cutFile = inDir.filePath(name);
    const QString out = outDir.filePath("out.png");
    int refused = 0, converted = 0;
    for (const qint64 cut : CutsFor(e, whole.size())) {
        SCOPED_TRACE(QStringLiteral("%1 cut to %2 of %3 bytes")
                         .arg(name)
                         .arg(cut)
                         .arg(whole.size())
                         .toStdString());
        {
            QFile f(cutFile);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            ASSERT_EQ(f.write(whole.left(cut)), cut);
        }
        const ConverterRun run = RunConverter({"-out", "png", "-o", out, cutFile});
        ASSERT_TRUE(run.started) << run.startError.toStdString();
        ASSERT_FALSE(run.crashed) << run.standardError.toStdString();
        if (run.exitCode == 0) {
            ++converted;
            EXPECT_EQ(CompareRgb(FlattenedOnWhite(QImage(out, "PNG")), expected).toStdString(), "")
                << "a damaged file became another picture"
                << (cut < e.neededEnd ? " (the first frame is cut)" : "");
        } else {
            ++refused;
            EXPECT_EQ(CheckOneErrorLine(run.standardError, name).toStdString(), "");
        }
        // Nothing left behind: no image, no half-written temporary file.
        QDir outputs(outDir.path());
        for (const QString& left : outputs.entryList(QDir::Files | QDir::Hidden | QDir::System))
            ASSERT_TRUE(run.exitCode == 0 && left == "out.png")
                << "left behind: " << left.toStdString();
        QFile::remove(out);
        if (HasFatalFailure())
            return;
    }
    EXPECT_GT(refused, 0) << "not even an empty file was refused";
    RecordProperty("refused", refused);
    RecordProperty("converted", converted);
}

INSTANTIATE_TEST_SUITE_P(Samples, Truncated, ::testing::ValuesIn(ProgramFolderEntries()),
                         [](const auto& info) { return info.param.name; });

} // namespace
