#include "addfolder.h"

#include "apperror.h"
#include "dialogs.h"
#include "fileattributes.h"
#include "folderreader.h"
#include "leftoutnames.h"
#include "paths.h"
#include "trap.h"
#include "wildcard.h"

#include <QDir>
#include <QSet>
#include <algorithm>
#include <utility>

namespace {

const QString kWalkLocation =
    QStringLiteral("in DorvishTitle2021/08/31.AddFolder.GetSubDirectories2016 ");

// Folders that are directory + system + hidden (22), or the same as a reparse point (1046), are
// the system's own and are not entered unless they are a drive root.
bool IsSystemFolderAttribute(std::uint32_t value)
{
    return value == 22 || value == 1046;
}

bool IsRootFolder(const QString& folder)
{
    return QDir(folder).isRoot();
}

// Whether the sub-folders of a folder (or the folder itself, for the final filter) may be walked.
// Throws when the folder's facts could not be read.
bool MayEnter(const QString& folder, const std::optional<EntryFacts>& facts)
{
    if (!facts)
        throw AppError::pathNotFound(ShownPath(folder));
    return !IsSystemFolderAttribute(facts->attributes) || IsRootFolder(folder);
}

bool InCaseInsensitiveOrder(const QString& a, const QString& b)
{
    const int folded = a.compare(b, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : a < b;
}

struct Walk
{
    Dialogs& dialogs;
    const WalkPacer& pacer;
    // Every real folder already in the list, so each is entered once.
    QSet<FolderIdentity> visited;

    void pace() const
    {
        if (pacer)
            pacer();
    }
};

// Appends to found the accepted sub-folders of folder, in name order. A failure of the listing
// keeps what was appended before it and is thrown on.
void ListSubFolders(const QString& folder, QStringList& found, Walk& walk)
{
    struct SubFolder
    {
        QString name;
        FolderIdentity identity;
    };
    std::vector<SubFolder> subFolders;
    const auto appendAccepted = [&] {
        std::sort(subFolders.begin(), subFolders.end(), [](const SubFolder& a, const SubFolder& b) {
            return InCaseInsensitiveOrder(a.name, b.name);
        });
        for (const SubFolder& s : subFolders) {
            // [124] to [130]
            if (!FitsNameLimit(s.name) || HasUnsafeCharacters(s.name))
                continue;
            if (walk.visited.contains(s.identity))
                continue;
            walk.visited.insert(s.identity);
            // [132], [134]
            found.append(folder + s.name + kNativePaths.separator);
        }
    };
    try {
        FolderReader reader(folder);
        while (reader.next()) {
            if (reader.knownNotFolder())
                continue;
            const std::optional<EntryFacts> facts = reader.facts();
            if (!facts || !facts->isFolder)
                continue;
            if (!reader.nameIsRepresentable()) {
                reader.noteLeftOut();
                continue;
            }
            // [120]
            walk.pace();
            // [122]
            subFolders.push_back({reader.name(), facts->identity});
        }
    } catch (...) {
        appendAccepted();
        throw;
    }
    appendAccepted();
}

// The index removed, or -1.
qsizetype RemoveFirstEqual(QStringList& folders, const QString& folder)
{
    // [142] to [148]
    const qsizetype index = folders.indexOf(folder);
    if (index >= 0)
        folders.removeAt(index);
    return index;
}

// One level of the tree per call: folders holds the level's folders; their sub-folders are walked
// by the next call, then appended behind them.
void WalkLevel(QStringList& folders, bool recurse, Walk& walk)
{
    Trap trap(walk.dialogs, kWalkLocation);
    // [104]
    QStringList found;
    // Once the first sub-folder listing starts, failures of the remaining entries drop or keep the
    // entry silently instead of being reported.
    bool silent = false;
    const auto step = [&](int line, auto&& statement) {
        if (silent)
            statement();
        else
            trap.at(line, statement);
    };
    const auto test = [&](int line, auto&& condition) -> bool {
        return silent ? static_cast<bool>(condition()) : trap.test(line, condition);
    };

    qsizetype i = 0;
    // [106]
    while (i < folders.size()) {
        const QString d = folders.at(i);
        try {
            // [108], [110]; the facts read here serve as the folder object of [112].
            std::optional<EntryFacts> facts;
            const bool enter = test(108, [&] {
                facts = FactsOf(d);
                return facts && facts->isFolder && FitsPathLimit(d);
            });
            if (enter) {
                // [114]
                step(114, [&] { walk.pace(); });
                // [116]
                if (test(116, [&] { return MayEnter(d, facts); })) {
                    silent = true;
                    // [118] to [136]
                    ListSubFolders(d, found, walk);
                }
            }
        } catch (const AppError& error) {
            // A folder that vanished meanwhile needs no word; one the user cannot read does.
            if (error.number() == ErrorNumber::kPermissionDenied)
                LeftOutNames::noteUnreadable(d);
            // [138] to [148]
            if (error.number() == ErrorNumber::kPermissionDenied ||
                error.number() == ErrorNumber::kPathNotFound) {
                const qsizetype removed = RemoveFirstEqual(folders, d);
                if (removed >= 0 && removed <= i)
                    continue;
            }
        } catch (const std::exception&) {
            // Any other failure keeps the folder.
        }
        ++i;
    }
    silent = false;

    // [150]
    if (recurse && !found.isEmpty())
        WalkLevel(found, true, walk);

    // [152]
    for (const QString& d : std::as_const(found)) {
        // [154]
        std::optional<EntryFacts> facts;
        if (!trap.test(154, [&] {
                facts = FactsOf(d);
                return facts && facts->isFolder;
            }))
            continue;
        // [156]
        trap.at(156, [&] { walk.pace(); });
        // [158], [160]
        if (trap.test(158, [&] { return MayEnter(d, facts); }))
            trap.at(160, [&] { folders.append(d); });
    }
}

} // namespace

void GetSubDirectories2016(QStringList& folders, bool recurse, Dialogs& dialogs,
                           const WalkPacer& pacer)
{
    Walk walk{dialogs, pacer, {}};
    for (const QString& folder : std::as_const(folders)) {
        if (const std::optional<EntryFacts> facts = FactsOf(folder); facts && facts->isFolder)
            walk.visited.insert(facts->identity);
    }
    WalkLevel(folders, recurse, walk);
}

namespace {

struct ListedFile
{
    QString name;
    std::uint32_t attributes;
};

// The files of folder whose names match, in name order, with the attribute value each had when
// it was listed.
std::vector<ListedFile> ListMatchingFiles(const QString& folder, const WildcardPattern& pattern)
{
    std::vector<ListedFile> files;
    FolderReader reader(folder);
    while (reader.next()) {
        QString name = reader.name();
        if (!pattern.matches(name))
            continue;
        const std::optional<EntryFacts> facts = reader.facts();
        if (!facts || !facts->isFile)
            continue;
        if (reader.nameIsRepresentable())
            files.push_back({std::move(name), facts->attributes});
        else
            reader.noteLeftOut();
    }
    std::sort(files.begin(), files.end(), [](const ListedFile& a, const ListedFile& b) {
        return InCaseInsensitiveOrder(a.name, b.name);
    });
    return files;
}

QStringList MatchingFolderFiles(const QString& folder, const WildcardPattern& pattern)
{
    QStringList paths;
    // [124]
    const QString d = folder.endsWith(kNativePaths.separator) ? folder.chopped(1) : folder;
    // [126]: the listing answers the existence test and the attribute query of each file, so the
    // file system is asked once per file.
    const std::vector<ListedFile> files = ListMatchingFiles(d.isEmpty() ? folder : d, pattern);
    paths.reserve(static_cast<qsizetype>(files.size()));
    // [128]
    for (const ListedFile& file : files) {
        // [130]
        if (file.name.startsWith(QLatin1Char('~')))
            continue;
        // [132], [136]
        if (file.attributes != FileAttribute::kHidden + FileAttribute::kArchive)
            paths.append(CollapseBackslashes(d + kNativePaths.separator + file.name));
    }
    return paths;
}

} // namespace

QStringList ListFolderFiles(const QString& folder, const QString& pattern)
{
    QStringList names;
    for (ListedFile& file : ListMatchingFiles(folder, WildcardPattern(pattern)))
        names.append(std::move(file.name));
    return names;
}

bool IsExistingFile(const QString& path)
{
    try {
        const std::optional<EntryFacts> facts = FactsOf(path);
        return facts && facts->isFile;
    } catch (...) {
        return false;
    }
}

bool HasUnsafeCharacters(const QString& name)
{
    return std::any_of(name.begin(), name.end(), [](QChar c) {
        const char16_t code = c.unicode();
        return code < 32 || (code >= 127 && code <= 159);
    });
}

QString BrowseForFolder(Dialogs& dialogs, const QString& prompt, const QString& start)
{
    QString folder = dialogs.browseForFolder(prompt, start);
    while (folder.size() > 1 && folder.endsWith(kNativePaths.separator) && !IsRootFolder(folder))
        folder.chop(1);
    return folder;
}

QStringList FolderFiles(const QString& folder, const QString& pattern)
{
    return MatchingFolderFiles(folder, WildcardPattern(pattern));
}

QStringList FilesInFolders(const QStringList& folders, const QString& pattern,
                           const std::function<void(const AppError&)>& onFolderError)
{
    const WildcardPattern matcher(pattern);
    QStringList paths;
    for (const QString& folder : folders) {
        try {
            paths.append(MatchingFolderFiles(folder, matcher));
        } catch (const AppError& error) {
            if (onFolderError)
                onFolderError(error);
        }
    }
    return paths;
}
