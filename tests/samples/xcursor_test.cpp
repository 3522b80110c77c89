// Every generated cursor as a Linux cursor, read back by libXcursor: every step at every size, for
// as long as the file shows it, pointing where it points, with the pixels of our own -frames
// output.
#include "samplecheck.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <map>
#include <memory>
// Last: Xlib's macros (None, Bool ...) clash with names in the headers above.
#include <X11/Xcursor/Xcursor.h>

namespace {

struct Case
{
    QString file;
    std::vector<std::uint32_t> jiffies; // each step's, as the generator wrote them
    std::string name;
};

void PrintTo(const Case& c, std::ostream* os)
{
    *os << c.file.toStdString();
}

std::vector<Case> Cases()
{
    std::vector<Case> cases;
    const std::pair<QString, QString> dirs[] = {
        {QStringLiteral(SAMPLES_EXPECTED_DIR), QStringLiteral(PROGRAM_FOLDER)},
        {QStringLiteral(SAMPLE_TEST_FILES_DIR), QStringLiteral(SAMPLE_TEST_FILES_DIR)},
        {QStringLiteral(GALLERY_DIR), QStringLiteral(GALLERY_DIR)}};
    for (const auto& [stepsDir, fileDir] : dirs) {
        QFile steps(stepsDir + "/steps.txt");
        if (!steps.open(QIODevice::ReadOnly | QIODevice::Text))
            continue;
        for (const QByteArray& line : steps.readAll().split('\n')) {
            const QList<QByteArray> fields = line.split(' ');
            if (fields.size() != 3)
                continue;
            Case c{fileDir + "/" + QString::fromUtf8(fields[0]), {}, {}};
            for (const QByteArray& j : fields[1].split(','))
                c.jiffies.push_back(j.toUInt());
            for (QChar ch : QDir(stepsDir).dirName() + "_" + QString::fromUtf8(fields[0]))
                c.name += ch.isLetterOrNumber() ? char(ch.toLatin1()) : '_';
            cases.push_back(c);
        }
    }
    return cases;
}

struct ImagesDeleter
{
    void operator()(XcursorImages* images) const { XcursorImagesDestroy(images); }
};

QString OutputOf(const QStringList& arguments)
{
    QProcess p;
    p.start(QStringLiteral(NCONVERT_PATH), arguments);
    if (!p.waitForFinished(120000) || p.exitCode() != 0)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

struct StepInfo
{
    int width = 0, height = 0, hotX = 0, hotY = 0;
};

// The steps as -info describes them: the size -frames writes and the hot spot.
std::vector<StepInfo> InfoOf(const QString& file)
{
    static const QRegularExpression step(
        R"(^step \d+: frame \d+, \d+ ms, (\d+) x (\d+), (?:hot spot (\d+),(\d+)|no hot spot)$)",
        QRegularExpression::MultilineOption);
    std::vector<StepInfo> steps;
    for (auto m = step.globalMatch(OutputOf({"-info", file})); m.hasNext();) {
        const auto match = m.next();
        steps.push_back({match.captured(1).toInt(), match.captured(2).toInt(),
                         match.captured(3).toInt(), match.captured(4).toInt()});
    }
    return steps;
}

std::uint32_t Premultiplied(QRgb p)
{
    const std::uint32_t a = qAlpha(p);
    auto times = [a](int c) { return (static_cast<std::uint32_t>(c) * a + 127) / 255; };
    return a << 24 | times(qRed(p)) << 16 | times(qGreen(p)) << 8 | times(qBlue(p));
}

class RoundTrip : public ::testing::TestWithParam<Case>
{
protected:
    QTemporaryDir dir_;
};

TEST_P(RoundTrip, LibXcursorReadsEveryStepAsTheFileShowsIt)
{
    const Case& c = GetParam();
    const QString xcursor = dir_.filePath("cursor");
    const ConverterRun run = RunConverter({"-out", "xcursor", "-o", xcursor, c.file});
    ASSERT_EQ(run.exitCode, 0) << run.standardError.toStdString();
    const std::unique_ptr<XcursorImages, ImagesDeleter> all(
        XcursorFilenameLoadAllImages(QFile::encodeName(xcursor).constData()));
    ASSERT_TRUE(all);

    std::map<XcursorDim, std::vector<const XcursorImage*>> bySize;
    for (int i = 0; i < all->nimage; ++i)
        bySize[all->images[i]->size].push_back(all->images[i]);
    const std::size_t steps = c.jiffies.size();
    for (const auto& [size, images] : bySize) {
        ASSERT_EQ(images.size(), steps) << "at size " << size;
        for (std::size_t i = 0; i < steps; ++i) {
            const XcursorImage* x = images[i];
            EXPECT_EQ(std::max(x->width, x->height), size);
            EXPECT_LT(x->xhot, x->width);
            EXPECT_LT(x->yhot, x->height);
            const double trueMs = c.jiffies[i] * 1000.0 / 60;
            EXPECT_LE(std::abs(double(x->delay) - trueMs), 1.0)
                << "step " << i + 1 << " at size " << size;
        }
    }

    // At the size -frames writes, every step whose frame has an image of that size is that
    // image: same pixels, same hot spot.
    const std::vector<StepInfo> info = InfoOf(c.file);
    ASSERT_EQ(info.size(), steps);
    const QString frames = dir_.filePath("f.png");
    ASSERT_EQ(RunConverter({"-out", "png", "-frames", "-o", frames, c.file}).exitCode, 0);
    const auto shown = bySize.find(XcursorDim(std::max(info[0].width, info[0].height)));
    ASSERT_NE(shown, bySize.end()) << "the size the file is shown at is missing";
    std::size_t compared = 0;
    const QStringList pngs = QDir(dir_.path()).entryList({"f-*.png"}, QDir::Files, QDir::Name);
    ASSERT_EQ(std::size_t(pngs.size()), steps);
    for (std::size_t i = 0; i < steps; ++i) {
        const XcursorImage* x = shown->second[i];
        const QImage png =
            QImage(dir_.filePath(pngs[int(i)])).convertToFormat(QImage::Format_ARGB32);
        if (png.width() != int(x->width) || png.height() != int(x->height))
            continue; // a frame placed on a larger canvas for -frames
        ++compared;
        EXPECT_EQ(int(x->xhot), info[i].hotX) << "step " << i + 1;
        EXPECT_EQ(int(x->yhot), info[i].hotY) << "step " << i + 1;
        int differing = 0;
        for (int y = 0; y < png.height(); ++y)
            for (int px = 0; px < png.width(); ++px)
                differing += x->pixels[y * png.width() + px] != Premultiplied(png.pixel(px, y));
        EXPECT_EQ(differing, 0) << "step " << i + 1;
    }
    EXPECT_GT(compared, 0u);
}

INSTANTIATE_TEST_SUITE_P(Generated, RoundTrip, ::testing::ValuesIn(Cases()),
                         [](const auto& info) { return info.param.name; });

TEST(RoundTrip, EveryGeneratedFileIsChecked)
{
    const qsizetype gallery =
        QDir(QStringLiteral(GALLERY_DIR)).entryList({"*.ani"}, QDir::Files).size();
    EXPECT_GE(gallery, 64);
    EXPECT_EQ(Cases().size(), ProgramFolderEntries().size() + TestFileEntries().size() +
                                  static_cast<std::size_t>(gallery));
}

} // namespace
