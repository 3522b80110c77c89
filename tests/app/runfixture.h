#pragma once

#include "converterlocation.h"
#include "formfixture.h"
#include "processkill.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTimer>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

// The main window with a converter of the test's choosing; the fake converter logs each call.
class ConversionRunFixture : public FormFixture
{
protected:
    struct Call
    {
        QString tag;
        QString program;
        QStringList arguments;
    };

    void SetUp() override
    {
        FormFixture::SetUp();
        sourceFolder = QDir::toNativeSeparators(temp.filePath(QStringLiteral("sources")));
        outputFolder = QDir::toNativeSeparators(temp.filePath(QStringLiteral("out")));
        QDir().mkpath(sourceFolder);
        QDir().mkpath(outputFolder);
        logPath = temp.filePath(QStringLiteral("calls.log"));
        qputenv("FAKE_NCONVERT_LOG", QFile::encodeName(logPath));
    }

    void TearDown() override
    {
        form.reset();
        qunsetenv("FAKE_NCONVERT_LOG");
    }

    static QByteArray readAll(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    static void writeFile(const QString& path, const QByteArray& data)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(data);
    }

    // The window ready to convert into the output folder with the given converter build, one
    // file at a time unless told otherwise.
    Form1& makeRunForm(const QString& converterBuild = QStringLiteral(FAKE_NCONVERT),
                       int converters = 1)
    {
        settings->write(QStringLiteral("Converters"), QString::number(converters));
        AppContext context;
        context.dialogs = &dialogs;
        context.settings = settings.get();
        context.programFolder = QDir::toNativeSeparators(programFolder);
        context.converterFolders = {QDir::toNativeSeparators(converterFolder)};
        context.drawPercent = [] { return 50; };
        // Every change of the bar at once, so tests can follow it.
        context.barTickMilliseconds = 0;
        context.endProgram = [] {};
        context.themesInstallHere = themesInstallHere;
        if (!converterBuild.isEmpty())
            context.loadConverter = [converterBuild] { return readAll(converterBuild); };
        form = std::make_unique<Form1>(context);
        form->Form_Load();
        form->Text1->setText(outputFolder);
        form->Option1->setChecked(true);
        return *form;
    }

    // A source file whose first line tells the fake converter what to do.
    QString addSource(const QString& name, const QByteArray& directive = "convert")
    {
        const QString path = sourceFolder + QDir::separator() + name;
        writeFile(path, directive + '\n');
        form->appendPath(path);
        return path;
    }

    // Presses "Start Converting"; once the converter hangs on a source that says "hang", runs
    // meddle in the middle of the run and then ends that converter, unless the meddling is to
    // end it.
    void startAndMeddleWhileAFileHangs(Form1& window, const std::function<void()>& meddle,
                                       bool endTheHang = true)
    {
        const QString pidFile = temp.filePath(QStringLiteral("pid"));
        QFile::remove(pidFile);
        qputenv("FAKE_NCONVERT_PIDFILE", QFile::encodeName(pidFile));
        QTimer meddler;
        meddler.setInterval(10);
        QObject::connect(&meddler, &QTimer::timeout, [&] {
            const int pid = QString::fromUtf8(readAll(pidFile)).trimmed().toInt();
            if (pid <= 0)
                return;
            meddler.stop();
            hangingPid = pid;
            meddle();
            if (endTheHang)
                KillProcess(pid);
        });
        meddler.start();
        runToEnd(window);
        qunsetenv("FAKE_NCONVERT_PIDFILE");
    }

    // Presses "Start Converting" and waits for the run to end.
    static void runToEnd(Form1& window)
    {
        window.PushButton2->click();
        waitForRunEnd(window);
    }

    // Lets the window's events run until its run has ended and the final box was shown. The
    // guard only keeps a run that never ends from hanging the suite.
    static void waitForRunEnd(Form1& window)
    {
        if (!window.Converting)
            return;
        QEventLoop loop;
        QObject::connect(&window, &Form1::conversionFinished, &loop, &QEventLoop::quit);
        QTimer::singleShot(120'000, &loop, &QEventLoop::quit);
        loop.exec();
        EXPECT_FALSE(window.Converting) << "the run did not end";
    }

    // What runs have left in the converter folder.
    QStringList converterFolderEntries() const
    {
        return QDir(converterFolder)
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }

    std::vector<Call> calls() const
    {
        std::vector<Call> result;
        const QString log = QString::fromUtf8(readAll(logPath));
        for (const QString& line : log.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            QStringList fields = line.split(QLatin1Char('\t'));
            Call call{fields.takeFirst(), fields.takeFirst(), fields};
            result.push_back(call);
        }
        return result;
    }

    QStringList messageTexts() const
    {
        QStringList texts;
        for (const auto& message : dialogs.messages)
            texts.append(message.text);
        return texts;
    }

    QString sourceFolder;
    QString outputFolder;
    QString logPath;
    // The converter that hangs, while the meddling runs.
    int hangingPid = 0;
    // Whether the window offers to install Linux cursor themes.
    bool themesInstallHere = ctheme::themesInstallHere();
};
