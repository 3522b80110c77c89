// A second opinion on our cursor and icon files: ImageMagick's own reader. Where a pixel is fully
// opaque there is nothing to blend or invert, so every reader must see the same colour.
#include "samplecheck.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

std::vector<SampleEntry> IconEntries()
{
    std::vector<SampleEntry> icons;
    for (const auto& list : {ProgramFolderEntries(), TestFileEntries()})
        for (const SampleEntry& e : list)
            if (e.imageIndex >= 0)
                icons.push_back(e);
    return icons;
}

// ImageMagick's picture of one directory entry, as 32-bit RGBA.
QImage DecodeWithImageMagick(const SampleEntry& e, const QString& outPng)
{
    QProcess convert;
    convert.start(QStringLiteral("convert"),
                  {QStringLiteral("ICO:%1[%2]").arg(e.file).arg(e.imageIndex),
                   QStringLiteral("PNG32:") + outPng});
    if (!convert.waitForFinished(60000) || convert.exitCode() != 0)
        return {};
    return QImage(outPng).convertToFormat(QImage::Format_ARGB32);
}

// Empty when every pixel the mask calls opaque is opaque in `reference` and has the same colour in
// `actual`.
QString CompareOpaque(const QImage& actual, const QImage& reference, const QImage& mask)
{
    if (actual.size() != mask.size() || reference.size() != mask.size())
        return QStringLiteral("sizes differ");
    int compared = 0, differing = 0;
    QString first;
    for (int y = 0; y < mask.height(); ++y)
        for (int x = 0; x < mask.width(); ++x) {
            if (qGray(mask.pixel(x, y)) != 255)
                continue;
            ++compared;
            const QRgb a = actual.pixel(x, y), r = reference.pixel(x, y);
            if (qAlpha(r) == 255 && (a & 0xFFFFFF) == (r & 0xFFFFFF))
                continue;
            if (differing++ == 0)
                first = QStringLiteral("(%1,%2): #%3 against ImageMagick's #%4 alpha %5")
                            .arg(x)
                            .arg(y)
                            .arg(a & 0xFFFFFF, 6, 16, QChar('0'))
                            .arg(r & 0xFFFFFF, 6, 16, QChar('0'))
                            .arg(qAlpha(r));
        }
    if (compared < mask.width() * mask.height() / 10)
        return QStringLiteral("only %1 opaque pixels; the comparison would prove little")
            .arg(compared);
    return differing ? QStringLiteral("%1 of %2 opaque pixels differ; first %3")
                           .arg(differing)
                           .arg(compared)
                           .arg(first)
                     : QString();
}

class ImageMagickAgrees : public ::testing::TestWithParam<SampleEntry>
{
protected:
    void SetUp() override
    {
        ASSERT_FALSE(QStandardPaths::findExecutable(QStringLiteral("convert")).isEmpty())
            << "ImageMagick's convert is not installed (tools/deps.sh installs it)";
        mask_ = QImage(GetParam().opaque);
        ASSERT_FALSE(mask_.isNull());
        reference_ = DecodeWithImageMagick(GetParam(), dir_.filePath("imagemagick.png"));
        ASSERT_FALSE(reference_.isNull())
            << "ImageMagick could not read " << GetParam().file.toStdString();
    }
    QTemporaryDir dir_;
    QImage mask_, reference_;
};

// Guards the generator itself: the file holds what it meant to draw.
TEST_P(ImageMagickAgrees, WithTheGeneratorsDrawing)
{
    const QImage expected = QImage(GetParam().expected).convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(CompareOpaque(expected, reference_, mask_).toStdString(), "");
}

TEST_P(ImageMagickAgrees, WithTheConverter)
{
    const QString out = dir_.filePath("nconvert.png");
    const ConverterRun run = RunConverter({"-out", "png", "-o", out, GetParam().file});
    ASSERT_EQ(run.exitCode, 0) << run.standardError.toStdString();
    const QImage ours = QImage(out).convertToFormat(QImage::Format_ARGB32);
    ASSERT_FALSE(ours.isNull());
    EXPECT_EQ(CompareOpaque(ours, reference_, mask_).toStdString(), "");
}

INSTANTIATE_TEST_SUITE_P(Icons, ImageMagickAgrees, ::testing::ValuesIn(IconEntries()),
                         [](const auto& info) { return info.param.name; });

// The window loads the pointer files through Qt's own icon reader.
TEST(PointerFiles, QtReadsThemAtFullSize)
{
    for (const char* name : {"HAND-M.CUR", "drag.ico"}) {
        const QString path = QStringLiteral(PROGRAM_FOLDER "/") + name;
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name;
        QImage image;
        ASSERT_TRUE(image.loadFromData(file.readAll(), "ICO")) << name;
        EXPECT_EQ(image.size(), QSize(32, 32)) << name;
    }
}

TEST(PointerFiles, HandHotSpotIsOnTheFingertip)
{
    QFile file(QStringLiteral(PROGRAM_FOLDER "/HAND-M.CUR"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_GE(bytes.size(), 22);
    const int hotX = uchar(bytes[10]) | uchar(bytes[11]) << 8;
    const int hotY = uchar(bytes[12]) | uchar(bytes[13]) << 8;
    QImage image;
    ASSERT_TRUE(image.loadFromData(bytes, "ICO"));
    image = image.convertToFormat(QImage::Format_ARGB32);
    // The hot spot is drawn, and nothing is drawn above it: it is the top of the pointing finger.
    EXPECT_GE(qAlpha(image.pixel(hotX, hotY)), 128);
    for (int y = 0; y < hotY; ++y)
        for (int x = 0; x < image.width(); ++x)
            EXPECT_LT(qAlpha(image.pixel(x, y)), 128) << x << "," << y;
    EXPECT_LT(hotX, image.width() / 2) << "the finger points up on the left of the hand";
}

} // namespace
