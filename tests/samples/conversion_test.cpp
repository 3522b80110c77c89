// Every generated sample, pointer file and test file converts to exactly the picture the generator
// drew, flattened on white.
#include "samplecheck.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

std::vector<SampleEntry> AllEntries()
{
    std::vector<SampleEntry> all = ProgramFolderEntries();
    for (const SampleEntry& e : TestFileEntries())
        all.push_back(e);
    return all;
}

class Conversion : public ::testing::TestWithParam<SampleEntry>
{
};

TEST_P(Conversion, PngEqualsTheDrawingOnWhite)
{
    const SampleEntry& e = GetParam();
    QTemporaryDir dir;
    const QString out = dir.filePath("out.png");
    const ConverterRun run = RunConverter({"-out", "png", "-o", out, e.file});
    ASSERT_TRUE(run.started) << NCONVERT_PATH << ": " << run.startError.toStdString();
    ASSERT_FALSE(run.crashed);
    ASSERT_EQ(run.exitCode, 0) << run.standardError.toStdString();
    EXPECT_TRUE(run.standardError.isEmpty()) << run.standardError.toStdString();
    const QImage written(out, "PNG");
    ASSERT_FALSE(written.isNull()) << "not a PNG: " << out.toStdString();
    const QImage expected(e.expected);
    ASSERT_FALSE(expected.isNull()) << e.expected.toStdString();
    EXPECT_EQ(CompareRgb(FlattenedOnWhite(written), expected).toStdString(), "");
}

TEST_P(Conversion, JpegDecodesAtTheFrameSizeAndLooksLikeIt)
{
    const SampleEntry& e = GetParam();
    QTemporaryDir dir;
    const QString out = dir.filePath("out.jpg");
    const ConverterRun run =
        RunConverter({"-q", "95", "-out", "jpeg", "-truecolors", "-o", out, e.file});
    ASSERT_FALSE(run.crashed);
    ASSERT_EQ(run.exitCode, 0) << run.standardError.toStdString();
    const QImage written(out, "JPEG");
    ASSERT_FALSE(written.isNull()) << "not a JPEG: " << out.toStdString();
    const QImage expected(e.expected);
    ASSERT_EQ(written.size(), expected.size());
    // JPEG is lossy; a wrong frame, a black background or swapped channels still shows clearly.
    double error = 0;
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x) {
            const QRgb a = written.pixel(x, y), b = expected.pixel(x, y);
            error += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) +
                     std::abs(qBlue(a) - qBlue(b));
        }
    EXPECT_LT(error / (3.0 * expected.width() * expected.height()), 8.0);
}

INSTANTIATE_TEST_SUITE_P(Samples, Conversion, ::testing::ValuesIn(AllEntries()),
                         [](const auto& info) { return info.param.name; });

TEST(SampleSet, EverySampleBesideTheProgramHasItsPicture)
{
    const std::vector<SampleEntry> entries = ProgramFolderEntries();
    QStringList described;
    for (const SampleEntry& e : entries) {
        described << QFileInfo(e.file).absoluteFilePath();
        EXPECT_TRUE(QFileInfo::exists(e.file)) << e.file.toStdString();
        EXPECT_TRUE(QFileInfo::exists(e.expected)) << e.expected.toStdString();
    }
    const QDir samples(QStringLiteral(PROGRAM_FOLDER "/Samples"));
    const QStringList files = samples.entryList(QDir::Files);
    EXPECT_GE(files.size(), 8);
    for (const QString& name : files)
        EXPECT_TRUE(described.contains(samples.absoluteFilePath(name)))
            << name.toStdString() << " has no expected picture";
    for (const char* name : {"HAND-M.CUR", "drag.ico"})
        EXPECT_TRUE(described.contains(QStringLiteral(PROGRAM_FOLDER "/") + name)) << name;
}

} // namespace
