#include "commandlinefiles.h"
#include "converterlocation.h"
#include "form1.h"
#include "installedconverter.h"
#include "parentconsole.h"
#include "programfolder.h"
#include "qtdialogs.h"
#include "settingsstore.h"
#include "startupoptions.h"

#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QTime>
#include <QTimer>
#include <cstdio>
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

QStringList argumentsOf(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

} // namespace

int main(int argc, char* argv[])
{
    // Answered before anything needs a display.
    const StartupRequest request = StartupRequestOf(argumentsOf(argc, argv));
    if (request != StartupRequest::OpenWindow) {
        const QCoreApplication core(argc, argv);
        UseParentConsole();
        const QString text =
            request == StartupRequest::Help ? HelpText() : VersionText(NoticesFile());
        std::fputs(text.toLocal8Bit().constData(), stdout);
        return std::fflush(stdout) == 0 ? EXIT_SUCCESS : EXIT_FAILURE;
    }

    QApplication app(argc, argv);
    // Docks and Wayland compositors tie the window to its desktop entry by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral("com.quenlow.Corvenda"));
    QtDialogs dialogs;
    SettingsStore settings;

    AppContext context;
    context.dialogs = &dialogs;
    context.settings = &settings;
    context.programFolder = ProgramFolder();
    context.installedConverter = InstalledConverter();
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
