#pragma once

#include <QHashFunctions>
#include <QString>
#include <QtGlobal>
#include <cstdint>
#include <memory>
#include <optional>

// The identity of a real folder: the same through every link, junction or mount that leads to it.
struct FolderIdentity
{
    quint64 device = 0;
    quint64 node = 0;
    friend bool operator==(const FolderIdentity&, const FolderIdentity&) = default;
};

inline size_t qHash(const FolderIdentity& id, size_t seed = 0) noexcept
{
    return qHashMulti(seed, id.device, id.node);
}

// What one directory entry leads to, links followed.
struct EntryFacts
{
    bool isFolder = false;
    bool isFile = false;
    FolderIdentity identity;
    // The attribute value with Windows bit values, as FileAttributes reports it.
    std::uint32_t attributes = 0;
};

// Reads the entries of one folder with the platform's directory calls, in the platform's order.
// Failures are AppError values: 70 when access is denied, 76 when the folder does not exist (or is
// no folder), another number for anything else.
class FolderReader
{
public:
    explicit FolderReader(const QString& folder);
    ~FolderReader();
    FolderReader(const FolderReader&) = delete;
    FolderReader& operator=(const FolderReader&) = delete;

    // Moves to the next entry other than "." and ".."; false at the end.
    bool next();
    QString name() const;
    // Whether the name comes through as text; one that does not names nothing we could list, and
    // is noted as left out (LeftOutNames).
    bool nameIsRepresentable() const;
    void noteLeftOut() const;
    // Whether the entry certainly is no folder, known without asking the file system again.
    bool knownNotFolder() const;
    // The entry's facts, links followed; nothing when it cannot be examined (a broken link, an
    // entry removed since the listing).
    std::optional<EntryFacts> facts() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// The facts of the path, links followed; nothing when it cannot be examined.
std::optional<EntryFacts> FactsOf(const QString& path);

// Whether a folder path and an entry name fit within what the file system accepts.
bool FitsPathLimit(const QString& path);
bool FitsNameLimit(const QString& name);
