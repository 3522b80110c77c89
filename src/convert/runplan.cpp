#include "runplan.h"

#include "conversioncommand.h"

#include <algorithm>

RunPlan::RunPlan(PlanChoices choices, const PathStyle& style)
    : choices_(std::move(choices)), style_(style)
{
}

void RunPlan::add(const QStringList& sources)
{
    const SaveChoice save{!choices_.besideSources(), choices_.besideSources(), choices_.folder,
                          OutputSuffixOf(choices_.output)};
    files_.reserve(files_.size() + static_cast<size_t>(sources.size()));
    for (const QString& source : sources) {
        const QString output = names_.claim(*OutputPath(save, source, style_));
        files_.push_back({source, output,
                          ConverterArguments(choices_.output, choices_.quality, output, source,
                                             choices_.background)});
    }
}

StartDecision DecideStart(const StartControls& controls)
{
    PlanChoices choices;
    choices.output = controls.output;
    choices.quality = controls.quality;
    choices.background = controls.background;
    if (controls.toFolder) {
        const UserFolder folder = FolderFromUserText(controls.folderText);
        if (folder.path.isEmpty())
            return {std::nullopt,
                    QStringLiteral("No output folder is chosen. Type one into the box below "
                                   "\"Save results to this folder:\" or press \"...\" to pick "
                                   "one.")};
        if (folder.relative)
            return {std::nullopt, RelativeFolderRefusal(folder.path)};
        if (IsFolder(folder.path) != true)
            return {std::nullopt,
                    QStringLiteral("Folder does not exist. Please select another folder.")};
        choices.folder = folder.path;
        return {choices, {}};
    }
    if (controls.besideSource)
        return {choices, {}};
    return {std::nullopt,
            QStringLiteral("Choose where the results go: \"Save results to this folder:\" or "
                           "\"Save results in folder of original file\".")};
}

int ConverterCount(const QString& setting, int cores)
{
    bool ok = false;
    const int stored = setting.trimmed().toInt(&ok);
    if (ok && stored >= 1 && stored <= kMostConverters)
        return stored;
    return std::clamp(cores, 1, kMostConverters);
}
