// Builds a large folder tree, or fills the window's list from one through the real
// "Add All ANI File(s) In Folder" handler and prints how long that took.
//   walkbench make TREE [LEAVES]   100,000 files in 10,010 folders, every tenth file .ani; with
//                                  LEAVES (default 99) folders under each second-level folder
//   walkbench run TREE EXT   one click answered with EXT and TREE
#include "form1.h"
#include "scripteddialogs.h"
#include "settingsstore.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

namespace {

bool touch(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

// Ten files per folder below the first level, one of them .ani.
bool fillFolder(const QString& folder, int& files)
{
    if (!QDir().mkpath(folder))
        return false;
    for (int i = 0; i < 10; ++i) {
        const QString name =
            i == 0 ? QStringLiteral("cursor.ani") : QStringLiteral("file%1.dat").arg(i);
        if (!touch(folder + QLatin1Char('/') + name))
            return false;
        ++files;
    }
    return true;
}

int makeTree(const QString& root, int leaves)
{
    int folders = 0;
    int files = 0;
    for (int a = 0; a < 10; ++a) {
        const QString level1 = root + QStringLiteral("/a%1").arg(a);
        QDir().mkpath(level1);
        ++folders;
        for (int b = 0; b < 10; ++b) {
            const QString level2 = level1 + QStringLiteral("/b%1").arg(b);
            if (!fillFolder(level2, files))
                return 1;
            ++folders;
            for (int c = 0; c < leaves; ++c) {
                if (!fillFolder(level2 + QStringLiteral("/c%1").arg(c), files))
                    return 1;
                ++folders;
            }
        }
    }
    std::printf("tree: %d folders, %d files\n", folders, files);
    return 0;
}

int run(const QString& tree, const QString& ext)
{
    QTemporaryDir temp;
    SettingsStore settings(temp.filePath(QStringLiteral("settings.ini")));
    ScriptedDialogs dialogs;
    AppContext context;
    context.dialogs = &dialogs;
    context.settings = &settings;
    context.programFolder = temp.path();
    context.converterFolders = {temp.path()};
    context.drawPercent = [] { return 50; };
    Form1 form(context);
    form.Form_Load();
    form.show();
    QApplication::processEvents();

    dialogs.inputAnswers.push_back(ext);
    dialogs.browseAnswers.push_back(QDir::toNativeSeparators(tree));
    QElapsedTimer timer;
    timer.start();
    form.PushButton4_Click();
    QApplication::processEvents(); // the list's first paint with its new items
    const double seconds = timer.nsecsElapsed() / 1e9;
    std::printf("ext %-4s items %7d  seconds %.3f  messages %zu\n", qPrintable(ext),
                form.itemCount(), seconds, dialogs.messages.size());
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 3 && QByteArray(argv[1]) == "make")
        return makeTree(QFile::decodeName(argv[2]), argc >= 4 ? std::atoi(argv[3]) : 99);
    if (argc >= 4 && QByteArray(argv[1]) == "run") {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        QApplication app(argc, argv);
        return run(QFile::decodeName(argv[2]), QFile::decodeName(argv[3]));
    }
    std::fprintf(stderr, "usage: walkbench make TREE | walkbench run TREE EXT\n");
    return 2;
}
