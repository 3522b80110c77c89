// Every generated file as an animated GIF and WebP, read back by readers that are not ours:
// ImageMagick's identify for the GIF, webpmux (Debian's webp) for the WebP. Each must show as
// many frames as the file shows steps, for as long.
#include "samplecheck.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <numeric>
#include <utility>

namespace {

struct StepsCase
{
    SampleEntry entry;
    std::vector<std::uint32_t> jiffies; // as the generator wrote them
};

void PrintTo(const StepsCase& c, std::ostream* os)
{
    *os << c.entry.file.toStdString();
}

std::vector<StepsCase> Cases()
{
    std::vector<StepsCase> cases;
    const std::pair<QString, std::vector<SampleEntry>> sources[] = {
        {QStringLiteral(SAMPLES_EXPECTED_DIR), ProgramFolderEntries()},
        {QStringLiteral(SAMPLE_TEST_FILES_DIR), TestFileEntries()}};
    for (const auto& [dir, entries] : sources) {
        QFile file(dir + "/steps.txt");
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            continue;
        for (const QByteArray& line : file.readAll().split('\n')) {
            const QList<QByteArray> fields = line.split(' ');
            if (fields.size() != 3)
                continue;
            for (const SampleEntry& e : entries)
                if (e.file.endsWith("/" + QString::fromUtf8(fields[0]))) {
                    StepsCase c{e, {}};
                    for (const QByteArray& j : fields[1].split(','))
                        c.jiffies.push_back(j.toUInt());
                    cases.push_back(c);
                }
        }
    }
    return cases;
}

QString OutputOf(const QString& program, const QStringList& arguments)
{
    QProcess p;
    p.start(program, arguments);
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

class AnimatedOutput : public ::testing::TestWithParam<StepsCase>
{
protected:
    void SetUp() override
    {
        for (const char* tool : {"identify", "webpmux"})
            ASSERT_FALSE(QStandardPaths::findExecutable(tool).isEmpty())
                << tool << " is not installed (tools/deps.sh installs it)";
        const auto& j = GetParam().jiffies;
        totalJiffies_ = std::accumulate(j.begin(), j.end(), std::uint64_t{0});
    }
    QString convert(const char* format)
    {
        const QString out = dir_.filePath(QStringLiteral("out.") + format);
        const ConverterRun run = RunConverter({"-out", format, "-o", out, GetParam().entry.file});
        EXPECT_EQ(run.exitCode, 0) << run.standardError.toStdString();
        return out;
    }
    QTemporaryDir dir_;
    std::uint64_t totalJiffies_ = 0;
};

TEST_P(AnimatedOutput, GifHasEveryStepForAsLong)
{
    const QString info = OutputOf("identify", {"-format", "%T\\n", convert("gif")});
    const QStringList delays = info.split('\n', Qt::SkipEmptyParts);
    EXPECT_EQ(std::size_t(delays.size()), GetParam().jiffies.size()) << info.toStdString();
    std::int64_t total = 0; // 1/100 s
    for (const QString& d : delays)
        total += d.toLongLong();
    EXPECT_LE(std::abs(total * 60 - std::int64_t(totalJiffies_) * 100), 60)
        << "within 1/100 s of " << totalJiffies_ << " jiffies";
}

TEST_P(AnimatedOutput, WebpHasEveryStepForAsLong)
{
    const QString info = OutputOf("webpmux", {"-info", convert("webp")});
    ASSERT_FALSE(info.isEmpty());
    if (GetParam().jiffies.size() == 1) {
        EXPECT_FALSE(info.contains("animation")) << "one step is a still picture";
        return;
    }
    // "  1:    31    31   yes        0        0      133       none ..."
    static const QRegularExpression frame(R"(^\s*\d+:\s+\d+\s+\d+\s+\w+\s+\d+\s+\d+\s+(\d+))",
                                          QRegularExpression::MultilineOption);
    std::size_t frames = 0;
    std::int64_t total = 0; // ms
    for (auto m = frame.globalMatch(info); m.hasNext(); ++frames)
        total += m.next().captured(1).toLongLong();
    // A step that repeats the frame before is still a frame of its own.
    EXPECT_EQ(frames, GetParam().jiffies.size()) << info.toStdString();
    EXPECT_LE(std::abs(total * 60 - std::int64_t(totalJiffies_) * 1000), 60)
        << "within 1 ms of " << totalJiffies_ << " jiffies";
}

INSTANTIATE_TEST_SUITE_P(Generated, AnimatedOutput, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return info.param.entry.name; });

TEST(AnimatedOutput, EveryGeneratedFileIsChecked)
{
    EXPECT_EQ(Cases().size(), ProgramFolderEntries().size() + TestFileEntries().size());
}

} // namespace
