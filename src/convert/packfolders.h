#pragma once

#include <QHash>
#include <QString>

// Which theme pack a source belongs to, for runs that make Linux cursor themes: the folder whose
// .inf names it, else its own folder, whose cursors the converter then takes by their names.
class PackFolders
{
public:
    // An .inf this many folders above the source's may name it (packs that keep their cursors
    // in sub-folders).
    static constexpr int kLevelsUp = 2;

    // The pack's folder, without a trailing separator. Looks at the disk once per folder.
    QString of(const QString& source);

private:
    QString find(const QString& folder) const;

    QHash<QString, QString> known_;
};
