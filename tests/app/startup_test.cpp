// Start-up: the program folder an installed tree uses, and the files and folders named on the
// command line (full paths from the working folder, listed as a drop lists them, one box for every
// path that is not there).
#include "commandlinefiles.h"
#include "formfixture.h"
#include "nativepaths.h"
#include "programfolder.h"
#include "startupoptions.h"

#include <QDir>
#include <QFile>

namespace {

class StartUp : public FormFixture
{
protected:
    QString make(const QString& relative)
    {
        const QString path = QDir::toNativeSeparators(temp.filePath(relative));
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        return path;
    }
};

TEST_F(StartUp, ArgumentsBecomeFullPathsFromTheWorkingFolder)
{
    // A working folder always has a drive on Windows; a path from the root takes the same one.
    const QString drive = DrivePrefix();
    const CommandLineFiles files({"--", "a.ani", "sub/../b.ani", "folder/", "/abs/c.ani", "--", ""},
                                 drive + "/home/me");
    EXPECT_EQ(files.paths(),
              NativeList(QStringList({drive + "/home/me/a.ani", drive + "/home/me/b.ani",
                                      drive + "/home/me/folder", drive + "/abs/c.ani",
                                      drive + "/home/me/--"})));
}

TEST_F(StartUp, FilesAndFoldersAreListedAsDroppedAndMissingOnesNamedInOneBox)
{
    const QString notes = make("in/notes.txt");
    make("in/tree/x.ani");
    make("in/tree/deep/y.ani");
    makeForm();
    form->appendPath(QStringLiteral("listed before"));
    CommandLineFiles files({"in/notes.txt", "gone.ani", "in/tree", "in/gone/"}, temp.path());
    form->ListCommandLineFiles(files);

    EXPECT_EQ(form->itemTexts(),
              QStringList({"listed before", notes, Native(temp.filePath("in/tree/x.ani")),
                           Native(temp.filePath("in/tree/deep/y.ani"))}));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    const auto& box = dialogs.messages.front();
    EXPECT_EQ(box.text, "These files or folders were not found, so they are not listed:\n" +
                            Native(temp.filePath("gone.ani")) + "\n" +
                            Native(temp.filePath("in/gone")));
    EXPECT_EQ(box.title, form->applicationTitle());
    EXPECT_EQ(box.buttons, MessageButtons::Ok);

    CommandLineFiles present({"in/notes.txt"}, temp.path());
    form->ListCommandLineFiles(present);
    EXPECT_EQ(form->itemCount(), 5);
    EXPECT_EQ(dialogs.messages.size(), 1u);
}

TEST_F(StartUp, ProgramFolderIsTheInstalledDataFolderWhenThereIsOne)
{
    const QString bin = temp.filePath("prefix/bin");
    QDir().mkpath(bin);
    EXPECT_EQ(ProgramFolderFor(bin, "../share/corvenda"), Native(bin));
    QDir().mkpath(temp.filePath("prefix/share/corvenda"));
    EXPECT_EQ(ProgramFolderFor(bin, "../share/corvenda"),
              Native(temp.filePath("prefix/share/corvenda")));
    EXPECT_EQ(ProgramFolderFor(bin, ""), Native(bin));
    EXPECT_EQ(ProgramFolderFor(bin + "/", ""), Native(bin));
}

TEST_F(StartUp, HelpAndVersionAreAskedForOnlyBeforeADoubleDash)
{
    EXPECT_EQ(StartupRequestOf({}), StartupRequest::OpenWindow);
    EXPECT_EQ(StartupRequestOf({"a.ani", "--help"}), StartupRequest::Help);
    EXPECT_EQ(StartupRequestOf({"-h"}), StartupRequest::Help);
    EXPECT_EQ(StartupRequestOf({"-platform", "xcb", "--version"}), StartupRequest::Version);
    EXPECT_EQ(StartupRequestOf({"--", "--help", "--version"}), StartupRequest::OpenWindow);
    EXPECT_EQ(StartupRequestOf({"--helpful.ani"}), StartupRequest::OpenWindow);
}

} // namespace
