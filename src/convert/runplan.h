#pragma once

#include "outputchoice.h"
#include "outputnames.h"
#include "packfolders.h"
#include "paths.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

// What a run makes and where, as chosen when it started.
struct PlanChoices
{
    // The folder every result goes to; empty puts each result beside its source.
    QString folder;
    OutputChoice output = OutputChoice::JpgFirstFrame;
    int quality = 85;
    // What JPG and GIF lay partly transparent pixels on, "#RRGGBB".
    QString background = kWhiteBackground;
    // The sizes of Linux cursors; none leaves them to the converter.
    QList<int> cursorSizes = {};
    // Themes are installed for the user rather than written into a folder.
    bool install = false;

    bool besideSources() const { return folder.isEmpty(); }
};

// One converter job of a run: a source and what the converter is told to make of it. A theme
// is one job for the whole pack: its sources are every listed file of the pack's folder.
struct PlannedFile
{
    // The converter's source: the file, or the pack's folder.
    QString source;
    // The file named for the source (the converter's -o), or the folder a theme goes in ("" when
    // it is installed).
    QString output;
    QStringList arguments;
    // The listed files the job stands for.
    QStringList sources;
    // The converter names what it writes in `output` itself (a theme already there is
    // numbered), and it tells what it made on its standard output, which the run keeps.
    bool namesItsOutput = false;
};

// Every job of a run, decided when the run starts: the sources as they were listed, and the
// name of each result, numbered over the whole plan where names would meet. Nothing the user
// does afterwards changes a planned job; sources added during the run are planned after the
// others, their names numbered after the names already taken. For themes, sources are grouped
// by pack: one job per pack, and a source added later whose pack is planned joins its job.
class RunPlan
{
public:
    explicit RunPlan(PlanChoices choices, const PathStyle& style = kNativePaths);

    void add(const QStringList& sources);

    qsizetype size() const { return static_cast<qsizetype>(files_.size()); }
    const PlannedFile& at(qsizetype index) const { return files_.at(static_cast<size_t>(index)); }
    const PlanChoices& choices() const { return choices_; }
    // What the jobs are called in the final box, one and many: files, or theme packs.
    QString itemWord(int count) const;

private:
    void addToTheme(const QString& source);

    PlanChoices choices_;
    PathStyle style_;
    OutputNames names_;
    PackFolders packs_;
    std::vector<PlannedFile> files_;
};

// The window's controls as they are when "Start Converting" is pressed.
struct StartControls
{
    bool toFolder = false;     // "Save results to this folder:"
    bool besideSource = false; // "Save results in folder of original file"
    QString folderText;
    OutputChoice output = OutputChoice::JpgFirstFrame;
    int quality = 85;
    QString background = kWhiteBackground;
    QList<int> cursorSizes = {};
};

// The choices a run is planned with, or why it cannot start, in words for a box.
struct StartDecision
{
    std::optional<PlanChoices> choices;
    QString refusal;
};
StartDecision DecideStart(const StartControls& controls);

// How many converters a run uses: the stored setting (1 to 16), else one per core.
int ConverterCount(const QString& setting, int cores);
inline constexpr int kMostConverters = 16;
