// The window's run with the real converter carried inside the program.
#include "runfixture.h"

#include <QImage>
#include <QPainter>
#include <QPushButton>
#include <QRandomGenerator>
#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

// A picture with fine detail, so the JPEG quality shows in the file size.
QImage detailedPicture(int size)
{
    QImage image(size, size, QImage::Format_RGB32);
    QRandomGenerator noise(7);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x)
            image.setPixel(x, y, qRgb(x * 255 / size, noise.bounded(256), y * 255 / size));
    }
    return image;
}

void putU16(QByteArray& out, quint16 v)
{
    out.append(char(v & 0xff)).append(char(v >> 8));
}

void putU32(QByteArray& out, quint32 v)
{
    putU16(out, quint16(v & 0xffff));
    putU16(out, quint16(v >> 16));
}

QByteArray chunk(const char* id, const QByteArray& data)
{
    QByteArray out(id, 4);
    putU32(out, quint32(data.size()));
    out += data;
    if (data.size() % 2)
        out.append('\0');
    return out;
}

// A 32x32 cursor of one opaque colour: a 32-bit DIB with an all-clear AND mask.
QByteArray solidCursor(QRgb colour)
{
    QByteArray image;
    putU32(image, 40);
    putU32(image, 32);
    putU32(image, 64);
    putU16(image, 1);
    putU16(image, 32);
    for (int i = 0; i < 6; ++i)
        putU32(image, 0);
    for (int i = 0; i < 32 * 32; ++i)
        image.append(char(qBlue(colour)))
            .append(char(qGreen(colour)))
            .append(char(qRed(colour)))
            .append(char(0xff));
    image += QByteArray(32 * 4, '\0');

    QByteArray file;
    putU16(file, 0);
    putU16(file, 2);
    putU16(file, 1);
    file.append(char(32)).append(char(32)).append('\0').append('\0');
    putU16(file, 0);
    putU16(file, 0);
    putU32(file, quint32(image.size()));
    putU32(file, 6 + 16);
    return file + image;
}

// An animated cursor whose frames are the given colours, shown in order.
QByteArray animatedCursor(const QList<QRgb>& colours)
{
    QByteArray header;
    putU32(header, 36);
    putU32(header, quint32(colours.size()));
    putU32(header, quint32(colours.size()));
    for (int i = 0; i < 4; ++i)
        putU32(header, 0);
    putU32(header, 10);
    putU32(header, 1);
    QByteArray frames("fram");
    for (const QRgb colour : colours)
        frames += chunk("icon", solidCursor(colour));
    return chunk("RIFF", "ACON" + chunk("anih", header) + chunk("LIST", frames));
}

} // namespace

class EndToEnd : public ConversionRunFixture
{
protected:
    void SetUp() override { ConversionRunFixture::SetUp(); }

    QString addPicture(const QString& name, const QImage& image, const char* format)
    {
        const QString path = QDir::toNativeSeparators(sourceFolder + "/") + name;
        EXPECT_TRUE(image.save(path, format));
        form->appendPath(path);
        return path;
    }
};

TEST_F(EndToEnd, ConvertsBesideTheSourcesAndIntoAFolder)
{
    Form1& window = makeRunForm(QString());
    QImage red(48, 32, QImage::Format_RGB32);
    red.fill(QColor(220, 20, 20));
    addPicture("red picture.png", red, "PNG");
    addPicture("-red.bmp", red, "BMP");

    window.Option2->setChecked(true);
    runToEnd(window);
    EXPECT_EQ(messageTexts(), QStringList{"Done."});
    for (const char* name : {"red picture.jpg", "-red.jpg"}) {
        const QImage result(QDir::toNativeSeparators(sourceFolder + "/") + QString::fromUtf8(name),
                            "JPEG");
        ASSERT_FALSE(result.isNull()) << name;
        EXPECT_EQ(result.size(), QSize(48, 32));
        const QColor middle = result.pixelColor(24, 16);
        EXPECT_NEAR(middle.red(), 220, 12);
        EXPECT_NEAR(middle.green(), 20, 12);
        EXPECT_NEAR(middle.blue(), 20, 12);
    }

    window.Option1->setChecked(true);
    runToEnd(window);
    EXPECT_EQ(messageTexts().last(), "Done.");
    EXPECT_FALSE(
        QImage(QDir::toNativeSeparators(outputFolder + "/red picture.jpg"), "JPEG").isNull());
    EXPECT_FALSE(QImage(QDir::toNativeSeparators(outputFolder + "/-red.jpg"), "JPEG").isNull());
    EXPECT_TRUE(converterFolderEntries().isEmpty());
}

TEST_F(EndToEnd, QualityChangesTheFileSize)
{
    Form1& window = makeRunForm(QString());
    addPicture("detail.png", detailedPicture(128), "PNG");
    QDir().mkpath(QDir::toNativeSeparators(outputFolder + "/low"));
    QDir().mkpath(QDir::toNativeSeparators(outputFolder + "/high"));

    window.Slider1->setValue(10);
    window.Text1->setText(QDir::toNativeSeparators(outputFolder + "/low"));
    runToEnd(window);
    window.Slider1->setValue(95);
    window.Text1->setText(QDir::toNativeSeparators(outputFolder + "/high"));
    runToEnd(window);

    EXPECT_EQ(messageTexts(), (QStringList{"Done.", "Done."}));
    const qint64 low = QFileInfo(QDir::toNativeSeparators(outputFolder + "/low/detail.jpg")).size();
    const qint64 high =
        QFileInfo(QDir::toNativeSeparators(outputFolder + "/high/detail.jpg")).size();
    EXPECT_GT(low, 0);
    EXPECT_GT(high, 2 * low);
    EXPECT_FALSE(
        QImage(QDir::toNativeSeparators(outputFolder + "/low/detail.jpg"), "JPEG").isNull());
}

TEST_F(EndToEnd, FilesTheConverterRefusesAreReportedWithItsReason)
{
    Form1& window = makeRunForm(QString());
    QImage blue(8, 8, QImage::Format_RGB32);
    blue.fill(Qt::blue);
    addPicture("fine.png", blue, "PNG");
    const QString junk = QDir::toNativeSeparators(sourceFolder + "/junk.ani");
    writeFile(junk, QByteArray(300, 'j'));
    window.appendPath(junk);
    // An existing output is never replaced.
    writeFile(QDir::toNativeSeparators(outputFolder + "/taken.jpg"), "keep me");
    addPicture("taken.png", blue, "PNG");

    runToEnd(window);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    const QStringList lines = dialogs.messages[0].text.split('\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0], "1 of 3 files was converted; 2 could not be converted:");
    // The converter's reason, without its name in front.
    EXPECT_EQ(lines[1], junk + ": not a cursor, icon, BMP or PNG file");
    // Said for a window user, who has no -overwrite to add.
    EXPECT_EQ(lines[2], QDir::toNativeSeparators(sourceFolder + "/taken.png") + ": a file named " +
                            QDir::toNativeSeparators(outputFolder + "/taken.jpg") +
                            " is already there and was left as it was");
    EXPECT_EQ(readAll(QDir::toNativeSeparators(outputFolder + "/taken.jpg")), "keep me");
    EXPECT_FALSE(QImage(QDir::toNativeSeparators(outputFolder + "/fine.jpg"), "JPEG").isNull());
}

TEST_F(EndToEnd, AnimatedCursorGivesItsFirstFrame)
{
    Form1& window = makeRunForm(QString());
    const QString source = QDir::toNativeSeparators(sourceFolder + "/two frames.ani");
    writeFile(source, animatedCursor({qRgb(200, 30, 30), qRgb(30, 30, 200)}));
    window.appendPath(source);
    runToEnd(window);
    EXPECT_EQ(messageTexts(), QStringList{"Done."});
    const QImage result(QDir::toNativeSeparators(outputFolder + "/two frames.jpg"), "JPEG");
    ASSERT_FALSE(result.isNull());
    EXPECT_EQ(result.size(), QSize(32, 32));
    const QColor middle = result.pixelColor(16, 16);
    EXPECT_NEAR(middle.red(), 200, 12);
    EXPECT_NEAR(middle.blue(), 30, 12);
}

// Sources with one name from several folders (every cursor theme has a wait.ani) each get an
// output of their own; the same list run again asks for the same names, which are then kept.
// A named pipe on the list is refused at once and the run goes on.
TEST_F(EndToEnd, SameNamesAreNumberedAndAPipeDoesNotHangTheRun)
{
    Form1& window = makeRunForm(QString());
    QImage blue(8, 8, QImage::Format_RGB32);
    blue.fill(Qt::blue);
#ifndef _WIN32
    const QString pipe = QDir::toNativeSeparators(sourceFolder + "/pipe.ani");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    window.appendPath(pipe);
#endif
    QStringList sources;
    for (const char* folder : {"one", "two", "three"}) {
        QDir(sourceFolder).mkdir(folder);
        sources.append(addPicture(QDir::toNativeSeparators(QStringLiteral("%1/a.png").arg(folder)),
                                  blue, "PNG"));
    }
    sources.append(addPicture("A.bmp", blue, "BMP"));

    runToEnd(window);
    QStringList written = QDir(outputFolder).entryList(QDir::Files);
    written.sort(Qt::CaseSensitive);
    EXPECT_EQ(written, (QStringList{"A (4).jpg", "a (2).jpg", "a (3).jpg", "a.jpg"}));
#ifndef _WIN32
    const QString text = messageTexts().last();
    EXPECT_TRUE(text.contains(pipe + ": cannot read the file: it is a named pipe, not a file"))
        << text.toStdString();
#else
    EXPECT_EQ(messageTexts().last(), "Done.");
#endif

    runToEnd(window);
    const QString again = messageTexts().last();
    for (const char* name : {"a.jpg", "a (2).jpg", "a (3).jpg", "A (4).jpg"})
        EXPECT_TRUE(again.contains(
            QStringLiteral("a file named %1 is already there")
                .arg(QDir::toNativeSeparators(outputFolder + "/") + QString::fromUtf8(name))))
            << again.toStdString();
}
