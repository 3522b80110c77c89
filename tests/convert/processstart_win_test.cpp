// Command lines on Windows: what the converter receives is exactly what the window meant.
#include "modprocess.h"

#include <QEventLoop>
#include <QStringList>
#include <QTimer>
#include <gtest/gtest.h>
#include <windows.h>
// The shell header builds on windows.h.
#include <shellapi.h>

namespace {

const QStringList kAwkward = {
    "plain",         "with space",        "trailing\\",          "C:\\out dir\\",
    "quote\"inside", "\\\"both\\\"",      "\\\\server\\share\\", "",
    "tab\there",     "Ünïcødé 日本 100%", "a\\\\b\\\\\"c",       "-o"};

QStringList parsedBack(const QString& line)
{
    int count = 0;
    LPWSTR* argv = ::CommandLineToArgvW(reinterpret_cast<LPCWSTR>(line.utf16()), &count);
    QStringList args;
    for (int i = 1; i < count; ++i)
        args << QString::fromWCharArray(argv[i]);
    ::LocalFree(argv);
    return args;
}

TEST(NativeCommandLineOnWindows, EveryArgumentParsesBackUnchanged)
{
    EXPECT_EQ(parsedBack(NativeCommandLine("C:\\Temp\\nconvert.exe", kAwkward)), kAwkward);
}

// The fake converter prints its argument on its error output; the run reads it back.
TEST(NativeCommandLineOnWindows, TheStartedProgramReceivesEachArgumentWhole)
{
    for (const QString& argument : kAwkward) {
        if (argument.isEmpty())
            continue; // an empty error output has no last line
        ConverterProcess process({});
        QEventLoop loop;
        QObject::connect(&process, &ConverterProcess::finished, &loop, &QEventLoop::quit);
        process.start(QStringLiteral(FAKE_NCONVERT), {"--stderr", argument, "--exit", "7"}, 0);
        if (!process.isDone()) {
            QTimer::singleShot(120'000, &loop, &QEventLoop::quit); // only against a hang
            loop.exec();
        }
        const RunOutcome& outcome = process.outcome();
        EXPECT_EQ(outcome.code, 7);
        EXPECT_EQ(outcome.errorLine, argument.trimmed());
    }
}

} // namespace
