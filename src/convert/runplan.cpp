#include "runplan.h"

#include "conversioncommand.h"

#include <algorithm>

RunPlan::RunPlan(PlanChoices choices, const PathStyle& style)
    : choices_(std::move(choices)), style_(style)
{
}

void RunPlan::add(const QStringList& sources)
{
    if (choices_.output == OutputChoice::CursorTheme) {
        for (const QString& source : sources)
            addToTheme(source);
        return;
    }
    const SaveChoice save{!choices_.besideSources(), choices_.besideSources(), choices_.folder,
                          OutputSuffixOf(choices_.output)};
    files_.reserve(files_.size() + static_cast<size_t>(sources.size()));
    for (const QString& source : sources) {
        const QString output = names_.claim(*OutputPath(save, source, style_), source);
        files_.push_back({source,
                          output,
                          ConverterArguments(choices_.output, choices_.quality, output, source,
                                             choices_.background, choices_.cursorSizes),
                          {source}});
    }
}

void RunPlan::addToTheme(const QString& source)
{
    const QString pack = packs_.of(source);
    const auto job = std::find_if(files_.begin(), files_.end(),
                                  [&](const PlannedFile& file) { return file.source == pack; });
    if (job != files_.end()) {
        job->sources.append(source);
        return;
    }
    // Beside its sources, a theme goes in the pack's own folder.
    const QString output = choices_.install           ? QString()
                           : choices_.besideSources() ? pack
                                                      : choices_.folder;
    files_.push_back({pack,
                      output,
                      ConverterArguments(choices_.output, choices_.quality, output, pack,
                                         choices_.background, choices_.cursorSizes),
                      {source},
                      true});
}

QString RunPlan::itemWord(int count) const
{
    if (choices_.output == OutputChoice::CursorTheme)
        return count == 1 ? QStringLiteral("theme pack") : QStringLiteral("theme packs");
    return count == 1 ? QStringLiteral("file") : QStringLiteral("files");
}

StartDecision DecideStart(const StartControls& controls)
{
    PlanChoices choices;
    choices.output = controls.output;
    choices.quality = controls.quality;
    choices.background = controls.background;
    choices.cursorSizes = controls.cursorSizes;
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
