#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Entries that listings and drops leave out because their names cannot be represented as text
// (on Linux, bytes that are not valid in the file-name encoding: no path we could hand on would
// reach them), and folders a walk leaves out because they cannot be read. While a collector
// lives, they are noted in it, so the window can say what it left out instead of dropping it
// without a word.
class LeftOutNames
{
public:
    LeftOutNames();
    ~LeftOutNames();
    LeftOutNames(const LeftOutNames&) = delete;
    LeftOutNames& operator=(const LeftOutNames&) = delete;

    // Notes a path left out, given as the folder (text) and the entry's raw name, or as raw bytes.
    static void note(const QString& folder, const QByteArray& rawName);
    static void note(const QByteArray& rawPath);
    // Notes a folder whose entries could not be read (no permission).
    static void noteUnreadable(const QString& folder);

    int count() const { return static_cast<int>(paths_.size() + unreadable_.size()); }
    // The paths with their undecodable bytes written as \xNN.
    const QStringList& paths() const { return paths_; }
    const QStringList& unreadableFolders() const { return unreadable_; }
    // A box text naming how many were left out and the first few of each kind; empty when none
    // was.
    QString report(int shown = 5) const;

private:
    QStringList paths_;
    QStringList unreadable_;
    LeftOutNames* outer_ = nullptr;
};

// Whether bytes taken from the file system come back the same through the file-name encoding.
bool IsRepresentableName(const QByteArray& raw);

// The bytes with everything that is not printable ASCII written as \xNN.
QString EscapedBytes(const QByteArray& raw);
