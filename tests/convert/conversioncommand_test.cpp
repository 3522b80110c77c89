#include "conversioncommand.h"
#include "conversionreport.h"
#include "modprocess.h"

#include <gtest/gtest.h>

namespace {

QString windowsOutput(const SaveChoice& choice, const QString& source)
{
    return OutputPath(choice, source, kWindowsPaths).value_or(QStringLiteral("<none>"));
}

const SaveChoice kBeside{false, true, {}};

SaveChoice toFolder(const QString& folder)
{
    return {true, false, folder};
}

} // namespace

TEST(OutputPath, NameIsTheSourceWithoutItsLastExtensionPlusJpg)
{
    const SaveChoice choice = kBeside;
    EXPECT_EQ(windowsOutput(choice, "C:\\cur\\arrow.ani"), "C:\\cur\\arrow.jpg");
    EXPECT_EQ(windowsOutput(choice, "C:\\cur\\my.arrow.ani"), "C:\\cur\\my.arrow.jpg");
    EXPECT_EQ(windowsOutput(choice, "C:\\cur\\ARROW.ANI"), "C:\\cur\\ARROW.jpg");
    EXPECT_EQ(windowsOutput(choice, "C:\\cur\\arrow"), "C:\\cur\\arrow.jpg");
    EXPECT_EQ(windowsOutput(choice, "C:\\cur\\.ani"), "C:\\cur\\.ani.jpg");
}

TEST(OutputPath, FolderOptionJoinsOnceAndKeepsNetworkPrefix)
{
    EXPECT_EQ(windowsOutput(toFolder("D:\\out\\"), "C:\\cur\\arrow.ani"), "D:\\out\\arrow.jpg");
    EXPECT_EQ(windowsOutput(toFolder("D:\\out"), "C:\\cur\\arrow.ani"), "D:\\out\\arrow.jpg");
    EXPECT_EQ(windowsOutput(kBeside, "\\\\srv\\share\\a.ani"), "\\\\srv\\share\\a.jpg");
    EXPECT_EQ(windowsOutput(toFolder("\\\\srv\\out\\"), "C:\\a.ani"), "\\\\srv\\out\\a.jpg");
    // Two sources with one base name land on one output in the folder.
    EXPECT_EQ(windowsOutput(toFolder("D:\\out"), "C:\\x\\a.ani"),
              windowsOutput(toFolder("D:\\out"), "C:\\y\\a.ani"));
}

TEST(OutputPath, FolderOptionWinsAndNeitherGivesNoPath)
{
    const SaveChoice both{true, true, QStringLiteral("D:\\out")};
    EXPECT_EQ(windowsOutput(both, "C:\\cur\\a.ani"), "D:\\out\\a.jpg");
    EXPECT_FALSE(
        OutputPath({false, false, QStringLiteral("D:\\out")}, "C:\\cur\\a.ani", kWindowsPaths));
}

TEST(OutputPath, PosixPathsKeepTheirNamesWhole)
{
    EXPECT_EQ(OutputPath(kBeside, "/home/u/cur/a\" -o \"b.ani", kPosixPaths),
              "/home/u/cur/a\" -o \"b.jpg");
    EXPECT_EQ(OutputPath(toFolder("/out/"), "/cur/-dash.ani", kPosixPaths), "/out/-dash.jpg");
    // No network prefix on POSIX: a leading double separator collapses.
    EXPECT_EQ(OutputPath(kBeside, "//srv/a.ani", kPosixPaths), "/srv/a.jpg");
}

TEST(ConverterArguments, PiecesInOrder)
{
    EXPECT_EQ(ConverterArguments(80, "C:\\cur\\arrow.jpg", "C:\\cur\\arrow.ani"),
              (QStringList{"-q", "80", "-out", "jpeg", "-truecolors", "-o", "C:\\cur\\arrow.jpg",
                           "C:\\cur\\arrow.ani"}));
    EXPECT_EQ(ConverterArguments(7, "o", "s")[1], "7");
}

TEST(NativeCommandLine, WindowsSeesQuotedPathsAndPlainOptions)
{
    const QString line =
        NativeCommandLine("C:\\Temp\\nconvert.exe",
                          ConverterArguments(80, "C:\\cur\\arrow.jpg", "C:\\cur\\arrow.ani"));
    EXPECT_EQ(line, "\"C:\\Temp\\nconvert.exe\" -q 80 -out jpeg -truecolors -o "
                    "\"C:\\cur\\arrow.jpg\" \"C:\\cur\\arrow.ani\"");
}

TEST(QuotedArgument, BackslashesAreDoubledOnlyBeforeAQuote)
{
    EXPECT_EQ(QuotedArgument("C:\\my dir\\a.ani"), "\"C:\\my dir\\a.ani\"");
    EXPECT_EQ(QuotedArgument("C:\\out\\"), "\"C:\\out\\\\\"");
    EXPECT_EQ(QuotedArgument("say \"hi\""), "\"say \\\"hi\\\"\"");
    EXPECT_EQ(QuotedArgument("a\\\"b"), "\"a\\\\\\\"b\"");
    EXPECT_EQ(QuotedArgument(""), "\"\"");
}

TEST(ConversionReport, DoneOnlyWhenEveryFileConverted)
{
    ConversionReport all;
    for (int i = 0; i < 3; ++i)
        all.addConverted();
    EXPECT_EQ(all.summary(3), "Done.");
    EXPECT_EQ(all.details(), "");

    ConversionReport some;
    some.addConverted();
    some.addConverted();
    some.addConverted();
    some.addFailure("/a/y.ani", "no frames", {}, 4);
    some.addFailure("/a/x.ani", "damaged file: truncated chunk", {}, 1);
    const QString lines = "/a/x.ani: damaged file: truncated chunk\n/a/y.ani: no frames";
    EXPECT_EQ(some.summary(5), "3 of 5 files were converted; 2 could not be converted:\n" + lines);
    EXPECT_EQ(some.details(), lines);

    ConversionReport none;
    none.addFailure("/a.ani", "the converter ended with code 42");
    EXPECT_EQ(none.summary(1), "The file could not be converted:\n"
                               "/a.ani: the converter ended with code 42");
    none.addFailure("/b.ani", "bad");
    EXPECT_EQ(none.summary(2), "None of the 2 files could be converted:\n"
                               "/a.ani: the converter ended with code 42\n/b.ani: bad");
}

TEST(ConversionReport, EarlyEndsSayWhyAndWhatWasLeft)
{
    ConversionReport stopped;
    stopped.addConverted();
    stopped.addFailure("/a.ani", "bad");
    stopped.setEnd(RunEnd::Stopped);
    EXPECT_EQ(stopped.summary(10), "Stopped.\n\n1 of 10 files was converted before the run was "
                                   "stopped.\n\n1 file could not be converted:\n/a.ani: bad");

    ConversionReport folder;
    folder.addConverted();
    folder.addConverted();
    folder.setEnd(RunEnd::FolderUnusable, {"the disk of the output folder /out is full"});
    EXPECT_EQ(folder.summary(3), "Stopped: the disk of the output folder /out is full.\n\n"
                                 "2 of 3 files were converted; the other file was not converted. "
                                 "Choose another output folder and start again.");

    ConversionReport noConverter;
    noConverter.setEnd(RunEnd::NoConverter, {"/tmp: it is mounted noexec", "/run: missing"});
    EXPECT_EQ(noConverter.summary(4), "No file was converted: the converter could not be started "
                                      "from any of its folders:\n/tmp: it is mounted noexec\n"
                                      "/run: missing");
    EXPECT_TRUE(noConverter.details().contains("/run: missing"));
}

TEST(ConversionReport, LongPathsAreShortenedInTheMiddleAndTheReasonKeptWhole)
{
    const QString folder = "/home/u/" + QString(300, 'd') + "/";
    const QString source = folder + "cursor.ani";
    const QString output = folder + QString(250, 'o') + ".jpg";
    ConversionReport report;
    report.addFailure(source, "cannot write " + output + ": File name too long", output);
    const QStringList lines = report.summary(1).split('\n');
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[1].endsWith(": File name too long"));
    EXPECT_TRUE(lines[1].contains("/cursor.ani: cannot write /home/u/"));
    EXPECT_EQ(lines[1].count(QChar(0x2026)), 2);
    EXPECT_LE(lines[1].size(), 2 * ConversionReport::kShownPathChars + 60);
    EXPECT_EQ(ElideMiddle(QString::fromUtf8("ab😀😀cd"), 5).size(), 5);
    // The details keep every path whole, to be copied.
    EXPECT_EQ(report.details(), source + ": cannot write " + output + ": File name too long");

    // A path that fits is shown whole, also with the colon after it.
    const QString fits = "/" + QString(ConversionReport::kShownPathChars - 1, 'f');
    ConversionReport whole;
    whole.addFailure(fits, "bad");
    EXPECT_TRUE(whole.summary(1).endsWith("\n" + fits + ": bad"));
}

TEST(ConversionReport, ListsTheFirstFailuresAndEveryOneInTheDetails)
{
    ConversionReport report;
    for (int i = 1; i <= 23; ++i)
        report.addFailure(QStringLiteral("/f%1.ani").arg(i), "bad");
    for (int i = 0; i < 7; ++i)
        report.addConverted();
    const QStringList lines = report.summary(30).split('\n');
    ASSERT_EQ(lines.size(), 1 + 10 + 1);
    EXPECT_EQ(lines[0], "7 of 30 files were converted; 23 could not be converted:");
    EXPECT_EQ(lines[1], "/f1.ani: bad");
    EXPECT_EQ(lines[10], "/f10.ani: bad");
    EXPECT_EQ(lines[11], "... and 13 more, all listed in the details");
    EXPECT_EQ(report.details().split('\n').size(), 23);
}
