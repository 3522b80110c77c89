#pragma once

#include "modprocess.h"
#include "themewriter.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

class Dialogs;
class SettingsStore;

// What the main window needs from outside; tests hand in their own.
struct AppContext
{
    Dialogs* dialogs = nullptr;
    SettingsStore* settings = nullptr;
    // The folder that holds the program, without a trailing separator.
    QString programFolder;
    // The converter installed with the program, run where it is when only the system or the user
    // can change it; empty when there is none (the build tree, tests).
    QString installedConverter;
    // The per-user folders the converter may be written to for a run, in the order they are tried.
    QStringList converterFolders;
    // The converter build written there; empty means the one carried inside the program.
    std::function<QByteArray()> loadConverter;
    // How often a running converter's wait is shown, and how long it may run before it is killed.
    ConverterProcess::Limits converterLimits;
    // How often the bar is drawn at most during a run; 0 draws every change at once.
    int barTickMilliseconds = 100;
    // Draws a whole number from 1 to 100 for the occasional home-page visit.
    std::function<int()> drawPercent;
    // Ends the program at once when the window is closed during a folder walk.
    std::function<void()> endProgram;
    // Whether Linux desktops here read cursor themes installed for the user (not on Windows):
    // only then is "Install for Me" offered.
    bool themesInstallHere = ctheme::themesInstallHere();
};
