#include "packfolders.h"

#include "paths.h"
#include "themepack.h"

#include <QDir>
#include <QFileInfo>

namespace fs = std::filesystem;

namespace {

fs::path fsPath(const QString& path)
{
    return ctheme::pathFromUtf8(QDir::toNativeSeparators(path).toUtf8().toStdString());
}

bool holdsInf(const QString& folder)
{
    // Packs hide their .inf (".install.inf") and write its extension in any case.
    return !QDir(folder)
                .entryList({QStringLiteral("*.inf")},
                           QDir::Files | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)
                .isEmpty();
}

// Whether a theme of the pack in `pack` takes a cursor from `folder`.
bool packUses(const QString& pack, const QString& folder)
{
    try {
        const ctheme::PackPlan plan = ctheme::planPack(fsPath(pack));
        const fs::path wanted = fsPath(folder).lexically_normal();
        for (const ctheme::ThemePlan& theme : plan.themes)
            for (const ctheme::RoleSource& role : theme.roles)
                if (role.status == ctheme::RoleStatus::Found &&
                    role.file.parent_path().lexically_normal() == wanted)
                    return true;
    } catch (const std::exception&) {
        // A folder that cannot be read is no pack of this source; the converter says why if it
        // matters.
    }
    return false;
}

} // namespace

QString PackFolders::of(const QString& source)
{
    const QString folder =
        QDir::toNativeSeparators(QDir::cleanPath(QDir::fromNativeSeparators(FolderOf(source))));
    const auto known = known_.constFind(folder);
    if (known != known_.constEnd())
        return *known;
    const QString pack = find(folder);
    known_.insert(folder, pack);
    return pack;
}

QString PackFolders::find(const QString& folder) const
{
    if (holdsInf(folder))
        return folder;
    QDir above(QDir::fromNativeSeparators(folder));
    for (int level = 0; level < kLevelsUp && above.cdUp(); ++level) {
        const QString candidate = QDir::toNativeSeparators(above.path());
        if (holdsInf(candidate) && packUses(candidate, folder))
            return candidate;
    }
    return folder;
}
