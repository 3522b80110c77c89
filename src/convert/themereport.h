#pragma once

#include "conversionreport.h"
#include "runplan.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// What `nconvert -theme` tells on its standard output about one pack: a line per fact, fields
// separated by a TAB (src/converter/themecommand.h).
struct ThemeReport
{
    struct Missing
    {
        QString role; // the registry name: "Arrow", "Help" ...
        QString name; // as the .inf writes it
    };
    struct Failed
    {
        QString role;
        QString file;
        QString reason;
    };
    struct Taken
    {
        QString role;
        QString file;
        QString cursor; // its file in the theme's cursors folder
    };
    // A scheme of the pack: a theme written, or one skipped because none of its cursors could
    // be converted.
    struct Scheme
    {
        bool made = false;
        QString folder; // made: where the theme is
        QString name;   // as desktops list it ("Name (2)" when one was already there)
        QString source; // the .inf or folder it came from
        QString skippedBecause;
        QList<Taken> taken;
        QList<Missing> missing;
        QStringList unset;
        QList<Failed> failed;
        QString installed; // the folder it was installed in, if it was
        QString linked;    // and the link in ~/.icons to it, if one was made
    };
    QList<Scheme> schemes;
    QStringList unmapped;
    QStringList notes;
};

// Lines of a kind the window does not know are passed over: a newer converter may say more.
ThemeReport ParseThemeReport(const QByteArray& output);

// The final box of a run that made or installed Linux cursor themes: what each pack became,
// every file a theme lacks, could not convert or did not use, and for installed themes how to
// choose them and how to remove them.
class ThemeRunReport
{
public:
    // installsHere: themes can be installed on this system; where they cannot, the box says how
    // to use them on a Linux machine.
    ThemeRunReport(const RunPlan& plan, const ConversionReport& report, bool installsHere);

    const QString& text() const { return text_; }
    // Everything, the cursor of every role too, for "Copy List".
    const QString& details() const { return details_; }
    // The folders of the themes made (or installed), in the plan's order.
    const QStringList& themeFolders() const { return themeFolders_; }
    // The listed files of the packs that made a theme, for installing them.
    const QStringList& sourcesOfThemes() const { return sourcesOfThemes_; }

    // The box lists this many files of a kind per pack; the details hold them all.
    static constexpr int kListedFiles = 6;

private:
    QString text_;
    QString details_;
    QStringList themeFolders_;
    QStringList sourcesOfThemes_;
};

// How to choose installed themes on the usual desktops, and how to remove them: their folders,
// and the links made to them for older readers ("" where none was made).
QString HowToUseThemes(const QStringList& installedFolders, const QStringList& links = {});

// The Windows label of a role the report names by its registry name ("Help" -> "Help Select").
QString RoleLabel(const QString& registryName);
