// Started from <prefix>/bin of an installed tree: the window, given the program folder the way the
// program finds it, shows the shipped hand pointer and lists the shipped samples.
#include "form1.h"
#include "installedconverter.h"
#include "programfolder.h"
#include "scripteddialogs.h"
#include "settingsstore.h"

#include <QCoreApplication>
#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(InstalledProgram, FindsItsHandPointerAndSamplesInShare)
{
    const QString folder = ProgramFolder();
    const QString expected = QDir::cleanPath(QCoreApplication::applicationDirPath() +
                                             QStringLiteral("/../share/corvenda"));
    ASSERT_EQ(folder, expected);

    QTemporaryDir temp;
    ScriptedDialogs dialogs;
    SettingsStore settings(temp.filePath(QStringLiteral("settings.ini")));
    AppContext context;
    context.dialogs = &dialogs;
    context.settings = &settings;
    context.programFolder = folder;
    context.converterFolders = {temp.path()};
    context.drawPercent = [] { return 50; };
    context.endProgram = [] {};
    Form1 window(context);
    window.Form_Load();
    EXPECT_TRUE(dialogs.messages.empty());

    window.setMousePointer(MousePointer::kCustom);
    EXPECT_EQ(window.cursor().shape(), Qt::BitmapCursor);
    EXPECT_EQ(window.cursor().hotSpot(), QPoint(11, 1));

    window.PushButton7->click();
    ASSERT_EQ(window.itemCount(), 8);
    for (const QString& path : window.itemTexts())
        EXPECT_TRUE(path.startsWith(folder + QStringLiteral("/Samples/"))) << path.toStdString();
}

TEST(InstalledProgram, RunsItsInstalledConverterWhereItIs)
{
    const QString converter = InstalledConverter();
    EXPECT_EQ(converter, QDir::cleanPath(QCoreApplication::applicationDirPath() +
                                         QStringLiteral("/../libexec/corvenda/nconvert")));
    EXPECT_FALSE(InstalledConverterProblem(converter));
}
