// Every generated file as an animated GIF and WebP, read back by readers that are not ours:
// ImageMagick's identify for the GIF, webpmux (Debian's webp) for the WebP. Each frame must end
// where a step of the file ends and the loop must last as long as the file's, none shorter than
// browsers play as timed (2/100 s for GIF, 11 ms for WebP).
#include "samplecheck.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>
#include <set>
#include <utility>

namespace {

struct StepsCase
{
    SampleEntry entry;
    std::vector<std::uint32_t> jiffies; // as the generator wrote them
    std::vector<std::uint32_t> frames;  // the frame each step shows
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
                    StepsCase c{e, {}, {}};
                    for (const QByteArray& j : fields[1].split(','))
                        c.jiffies.push_back(j.toUInt());
                    for (const QByteArray& f : fields[2].split(','))
                        c.frames.push_back(f.toUInt());
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
    }
    QString convert(const char* format)
    {
        const QString out = dir_.filePath(QStringLiteral("out.") + format);
        const ConverterRun run = RunConverter({"-out", format, "-o", out, GetParam().entry.file});
        EXPECT_EQ(run.exitCode, 0) << run.standardError.toStdString();
        return out;
    }
    QTemporaryDir dir_;
};

// Checks durations in units of 1/unitsPerSecond s against the file's steps: every frame ends
// within one unit of where a step ends, the last where the last step ends, and no frame of an
// animation is shorter than `shortest`.
void ExpectPlayedAsTimed(const std::vector<std::int64_t>& durations,
                         const std::vector<std::uint32_t>& jiffies, std::int64_t unitsPerSecond,
                         std::int64_t shortest)
{
    ASSERT_FALSE(durations.empty());
    EXPECT_LE(durations.size(), jiffies.size());
    std::vector<double> ends;
    double t = 0;
    for (std::uint32_t j : jiffies)
        ends.push_back(t += j * double(unitsPerSecond) / 60);
    std::int64_t at = 0;
    for (std::size_t f = 0; f < durations.size(); ++f) {
        at += durations[f];
        if (durations.size() > 1) {
            EXPECT_GE(durations[f], shortest) << "frame " << f + 1;
        }
        double nearest = ends.front();
        for (double e : ends)
            if (std::abs(e - double(at)) < std::abs(nearest - double(at)))
                nearest = e;
        EXPECT_LE(std::abs(nearest - double(at)), 1.0) << "frame " << f + 1 << " ends at " << at;
    }
    EXPECT_LE(std::abs(double(at) - t), 1.0) << "the loop: " << at << " for " << t;
}

TEST_P(AnimatedOutput, GifFramesEndWhereStepsEnd)
{
    const QString info = OutputOf("identify", {"-format", "%T\\n", convert("gif")});
    std::vector<std::int64_t> delays; // 1/100 s
    for (const QString& d : info.split('\n', Qt::SkipEmptyParts))
        delays.push_back(d.toLongLong());
    ExpectPlayedAsTimed(delays, GetParam().jiffies, 100, 2);
}

TEST_P(AnimatedOutput, WebpFramesEndWhereStepsEnd)
{
    const QString info = OutputOf("webpmux", {"-info", convert("webp")});
    ASSERT_FALSE(info.isEmpty());
    if (!info.contains("animation")) {
        // One picture all along is a still.
        const std::set<std::uint32_t> pictures(GetParam().frames.begin(), GetParam().frames.end());
        EXPECT_EQ(pictures.size(), 1u) << info.toStdString();
        return;
    }
    // "  1:    31    31   yes        0        0      133       none ..."
    static const QRegularExpression frame(R"(^\s*\d+:\s+\d+\s+\d+\s+\w+\s+\d+\s+\d+\s+(\d+))",
                                          QRegularExpression::MultilineOption);
    std::vector<std::int64_t> durations; // ms
    for (auto m = frame.globalMatch(info); m.hasNext();)
        durations.push_back(m.next().captured(1).toLongLong());
    ExpectPlayedAsTimed(durations, GetParam().jiffies, 1000, 11);
}

INSTANTIATE_TEST_SUITE_P(Generated, AnimatedOutput, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return info.param.entry.name; });

TEST(AnimatedOutput, EveryGeneratedFileIsChecked)
{
    EXPECT_EQ(Cases().size(), ProgramFolderEntries().size() + TestFileEntries().size());
}

} // namespace
