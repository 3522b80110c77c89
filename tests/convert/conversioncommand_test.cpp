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

TEST(ConversionReport, AllConvertedSaysExactlyDone)
{
    EXPECT_EQ(ConversionReport().summary(3), "Done.");
}

TEST(ConversionReport, FailuresAreCountedAndListedWithReasons)
{
    ConversionReport report;
    report.addFailure("/a/x.ani", "/a/x.ani: damaged file: truncated chunk");
    report.addFailure("/a/y.ani", "no destination chosen");
    EXPECT_EQ(report.summary(5), "Done.\n\n2 of 5 files could not be converted:\n"
                                 "/a/x.ani: damaged file: truncated chunk\n"
                                 "/a/y.ani: no destination chosen");
    ConversionReport one;
    one.addFailure("/a.ani", "the converter ended with code 3");
    EXPECT_EQ(one.summary(1), "Done.\n\n1 of 1 file could not be converted:\n"
                              "/a.ani: the converter ended with code 3");
}

TEST(ConversionReport, LongPathsAreShortenedInTheMiddleAndTheReasonKeptWhole)
{
    const QString folder = "/home/u/" + QString(300, 'd') + "/";
    const QString source = folder + "cursor.ani";
    const QString output = folder + QString(250, 'o') + ".jpg";
    ConversionReport report;
    report.addFailure(source,
                      "nconvert: " + source + ": cannot write " + output + ": File name too long",
                      output);
    const QStringList lines = report.summary(1).split('\n');
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines[3].endsWith(": File name too long"));
    EXPECT_TRUE(lines[3].contains("/cursor.ani: cannot write /home/u/"));
    EXPECT_EQ(lines[3].count(QChar(0x2026)), 2);
    EXPECT_LE(lines[3].size(), 2 * ConversionReport::kShownPathChars + 60);
    EXPECT_EQ(ElideMiddle(QString::fromUtf8("ab😀😀cd"), 5).size(), 5);

    // A path that fits is shown whole, also with the colon after it.
    const QString fits = "/" + QString(ConversionReport::kShownPathChars - 1, 'f');
    ConversionReport whole;
    whole.addFailure(fits, "no destination chosen");
    EXPECT_TRUE(whole.summary(1).endsWith("\n" + fits + ": no destination chosen"));
}

TEST(ConversionReport, ListsTwentyThenCountsTheRest)
{
    ConversionReport report;
    for (int i = 1; i <= 23; ++i)
        report.addFailure(QStringLiteral("/f%1.ani").arg(i), "bad");
    const QStringList lines = report.summary(30).split('\n');
    ASSERT_EQ(lines.size(), 3 + 20 + 1);
    EXPECT_EQ(lines[2], "23 of 30 files could not be converted:");
    EXPECT_EQ(lines[3], "/f1.ani: bad");
    EXPECT_EQ(lines[22], "/f20.ani: bad");
    EXPECT_EQ(lines[23], "... and 3 more");
}
