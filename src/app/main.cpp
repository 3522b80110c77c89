#include "commandlinefiles.h"
#include "converterlocation.h"
#include "form1.h"
#include "programfolder.h"
#include "qtdialogs.h"
#include "settingsstore.h"

#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QTime>
#include <QTimer>
#include <cstdlib>
#include <random>

namespace {

// A draw from 1 to 100, seeded from the seconds since midnight.
int drawPercent()
{
    static std::mt19937 generator(
        static_cast<unsigned>(QTime::currentTime().msecsSinceStartOfDay() / 1000));
    return std::uniform_int_distribution<int>(1, 100)(generator);
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QtDialogs dialogs;
    SettingsStore settings;

    AppContext context;
    context.dialogs = &dialogs;
    context.settings = &settings;
    context.programFolder = ProgramFolder();
    context.converterFolders = ConverterFolderCandidates();
    context.drawPercent = drawPercent;
    // A folder walk runs the window's events below its handler; closing the window during one
    // ends the program at once (the walk writes nothing). Otherwise the program ends normally.
    context.endProgram = [] { std::_Exit(0); };

    Form1 window(context);
    dialogs.setOwner(&window);
    window.Form_Load();
    window.move(window.screen()->availableGeometry().center() - window.rect().center());
    window.show();
    // Qt has taken its own options out of the arguments; what is left names files to list.
    CommandLineFiles files(QCoreApplication::arguments().mid(1), QDir::currentPath());
    if (!files.paths().isEmpty())
        QTimer::singleShot(0, &window, [&] { window.ListCommandLineFiles(files); });
    return QApplication::exec();
}
