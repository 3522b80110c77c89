// Drives the real window headless for bench/run.sh and bench/stop.sh: fills the list with every
// file of a folder, presses "Start Converting" and prints how long the run took, or presses
// "Stop Converting" part way and prints how long the run took to end.
//
//   convert_bench_driver make-input FOLDER COUNT [ani]
//       writes COUNT copies of a generated cursor image, or with "ani" of the small animated
//       samples in turn
//   convert_bench_driver run SOURCES OUTPUT [SAVE-AS [CONVERTERS]]
//       converts every file of SOURCES into OUTPUT ("Save as:" by its stored name, jpg unless
//       given; converters: one per core unless given)
//   convert_bench_driver stop SOURCES OUTPUT MS [SAVE-AS]
//       the same, stopped MS milliseconds after start
#include "converterlocation.h"
#include "dialogs.h"
#include "form1.h"
#include "settingsstore.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <sys/resource.h>

namespace {

class SilentDialogs : public Dialogs
{
public:
    MessageAnswer messageBox(const QString& text, const QString&, MessageButtons,
                             MessageIcon) override
    {
        messages.append(text);
        return MessageAnswer::Ok;
    }
    std::optional<int> actionReportBox(const QString& text, const QString&, const QString&,
                                       const QStringList&) override
    {
        messages.append(text);
        return std::nullopt;
    }
    void showThemePreview(const QStringList&, const QString&) override {}
    std::optional<QString> inputBox(const QString&, const QString&, const QString&) override
    {
        return std::nullopt;
    }
    QString openFiles(const QString&, const QString&, int) override { return {}; }
    QString browseForFolder(const QString&, const QString&) override { return {}; }
    std::optional<QString> chooseColour(const QString&, const QString&) override
    {
        return std::nullopt;
    }
    bool openInShell(const QString&) override { return true; }

    QStringList messages;
};

// Copies of the small animated samples (a few kilobytes each), in turn.
int makeAnimatedInput(const QString& folder, int count)
{
    QDir().mkpath(folder);
    const QString samples = QCoreApplication::applicationDirPath() + "/Samples/";
    const QStringList small = {"hourglass.ani", "traffic.ani", "pulse.ani"};
    for (int i = 0; i < count; ++i) {
        const QString name = small[i % small.size()];
        if (!QFile::copy(samples + name,
                         folder + QStringLiteral("/cursor%1-").arg(i, 4, 10, QLatin1Char('0')) +
                             name))
            return 1;
    }
    return 0;
}

int makeInput(const QString& folder, int count)
{
    QDir().mkpath(folder);
    QImage cursor(32, 32, QImage::Format_ARGB32);
    cursor.fill(Qt::transparent);
    QPainter painter(&cursor);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(30, 90, 200));
    painter.setPen(QPen(Qt::black, 1.5));
    const QPointF arrow[] = {{2, 2}, {2, 26}, {9, 19}, {15, 30}, {19, 28}, {13, 17}, {23, 17}};
    painter.drawPolygon(arrow, 7);
    painter.end();
    const QString first = folder + "/cursor0000.png";
    if (!cursor.save(first, "PNG"))
        return 1;
    for (int i = 1; i < count; ++i)
        QFile::copy(first,
                    folder + QStringLiteral("/cursor%1.png").arg(i, 4, 10, QLatin1Char('0')));
    return 0;
}

// Lets the window's events run until its run has ended.
void waitForRunEnd(Form1& window)
{
    if (!window.Converting)
        return;
    QEventLoop loop;
    QObject::connect(&window, &Form1::conversionFinished, &loop, &QEventLoop::quit);
    loop.exec();
}

// stopAfterMs < 0: the run goes to its end.
int run(const QString& sources, const QString& output, int stopAfterMs,
        const QString& saveAs = QStringLiteral("jpg"), const QString& converters = {})
{
    QTemporaryDir temp;
    SilentDialogs dialogs;
    SettingsStore settings(temp.filePath("settings.ini"));
    settings.write("OutputFormat", saveAs);
    if (!converters.isEmpty())
        settings.write("Converters", converters);
    AppContext context;
    context.dialogs = &dialogs;
    context.settings = &settings;
    context.programFolder = QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
    context.converterFolders = ConverterFolderCandidates();
    context.drawPercent = [] { return 50; };

    Form1 window(context);
    window.Form_Load();
    window.show();
    QStringList paths;
    for (const QString& name : QDir(sources).entryList(QDir::Files, QDir::Name))
        paths.append(QDir::toNativeSeparators(sources + "/" + name));
    window.appendPaths(paths);
    window.Option1->setChecked(true);
    window.Text1->setText(QDir::toNativeSeparators(output));

    QElapsedTimer stopClock;
    if (stopAfterMs >= 0) {
        QTimer::singleShot(stopAfterMs, &window, [&] {
            stopClock.start();
            window.PushButton2->click();
        });
    }
    QElapsedTimer clock;
    clock.start();
    window.PushButton2->click();
    waitForRunEnd(window);
    const double seconds = clock.nsecsElapsed() / 1e9;

    const QString summary = dialogs.messages.value(0).section('\n', 0, 2).simplified();
    if (stopAfterMs >= 0) {
        std::printf("stopped after %.3f s: stop to final box %.1f ms; box: %s\n", seconds,
                    stopClock.nsecsElapsed() / 1e6, qPrintable(summary));
        return dialogs.messages.value(0).startsWith("Stopped.") ? 0 : 1;
    }
    std::printf("window run: %lld files in %.3f s, %.0f files/s; box: %s\n",
                static_cast<long long>(paths.size()), seconds, paths.size() / seconds,
                qPrintable(summary));
    // What the window itself spent, apart from its converters: what it takes from them.
    rusage own{};
    rusage children{};
    getrusage(RUSAGE_SELF, &own);
    getrusage(RUSAGE_CHILDREN, &children);
    const auto cpu = [](const rusage& r) {
        return r.ru_utime.tv_sec + r.ru_stime.tv_sec +
               (r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
    };
    std::printf("window CPU: own %.3f s (%.0f us a file), converters %.3f s\n", cpu(own),
                cpu(own) * 1e6 / static_cast<double>(paths.size()), cpu(children));
    return dialogs.messages.value(0) == "Done." ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == "make-input")
        return makeInput(args[2], args[3].toInt());
    if (args.size() == 5 && args[1] == "make-input" && args[4] == "ani")
        return makeAnimatedInput(args[2], args[3].toInt());
    if (args.size() >= 4 && args.size() <= 6 && args[1] == "run")
        return run(args[2], args[3], -1, args.value(4, "jpg"), args.value(5));
    if ((args.size() == 5 || args.size() == 6) && args[1] == "stop")
        return run(args[2], args[3], args[4].toInt(), args.value(5, "jpg"));
    std::fputs("usage: convert_bench_driver make-input FOLDER COUNT [ani] | run SOURCES OUTPUT "
               "[SAVE-AS [CONVERTERS]] | stop SOURCES OUTPUT MS [SAVE-AS]\n",
               stderr);
    return 2;
}
