#pragma once

#include "form1.h"
#include "scripteddialogs.h"
#include "settingsstore.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

// A main window over a scripted dialog seam, a settings file of its own and a program folder in a
// temporary directory. Nothing touches the user's real settings or folders.
class FormFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(temp.isValid());
        programFolder = temp.filePath(QStringLiteral("program"));
        converterFolder = temp.filePath(QStringLiteral("converter"));
        QDir().mkpath(programFolder);
        QDir().mkpath(converterFolder);
        settings = std::make_unique<SettingsStore>(temp.filePath(QStringLiteral("settings.ini")));
    }

    // Creates the window; load runs Form_Load as the program does at start.
    Form1& makeForm(bool load = true)
    {
        AppContext context;
        context.dialogs = &dialogs;
        context.settings = settings.get();
        context.programFolder = QDir::toNativeSeparators(programFolder);
        context.converterFolders = {QDir::toNativeSeparators(converterFolder)};
        context.drawPercent = [this] { return drawnPercent; };
        context.endProgram = [this] { ++endProgramCalls; };
        form = std::make_unique<Form1>(context);
        if (load)
            form->Form_Load();
        return *form;
    }

    // A fresh settings object over the same file, to see what reached the disk.
    QString stored(const QString& key) const
    {
        return SettingsStore(temp.filePath(QStringLiteral("settings.ini")))
            .read(key, QStringLiteral("<absent>"));
    }

    QTemporaryDir temp;
    QString programFolder;
    QString converterFolder;
    ScriptedDialogs dialogs;
    std::unique_ptr<SettingsStore> settings;
    std::unique_ptr<Form1> form;
    int drawnPercent = 50;
    int endProgramCalls = 0;
};
