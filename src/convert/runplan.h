#pragma once

#include "outputchoice.h"
#include "outputnames.h"
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

    bool besideSources() const { return folder.isEmpty(); }
};

// One source of a run and what the converter is told to make of it.
struct PlannedFile
{
    QString source;
    // The file named for the source: the converter's -o.
    QString output;
    QStringList arguments;
};

// Every file of a run, decided when the run starts: the sources as they were listed, and the
// name of each result, numbered over the whole plan where names would meet. Nothing the user
// does afterwards changes a planned file; sources added during the run are planned after the
// others, their names numbered after the names already taken.
class RunPlan
{
public:
    explicit RunPlan(PlanChoices choices, const PathStyle& style = kNativePaths);

    void add(const QStringList& sources);

    qsizetype size() const { return static_cast<qsizetype>(files_.size()); }
    const PlannedFile& at(qsizetype index) const { return files_.at(static_cast<size_t>(index)); }
    const PlanChoices& choices() const { return choices_; }

private:
    PlanChoices choices_;
    PathStyle style_;
    OutputNames names_;
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
