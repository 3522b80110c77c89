#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <memory>

// Facts about who may change a file or folder. The converter is only run from places no other
// user can write.

// Whether anything is at the path, a dangling symbolic link included.
bool EntryExists(const QString& path);

// Whether the path is a real folder (not a link) of ours that no other user can write.
bool IsPrivateFolder(const QString& path);

// Creates the folder (and any missing parent), readable only by us, when it is missing; true when
// it is then private.
bool MakePrivateFolder(const QString& path);

// Whether the path is a regular file (not a link) of ours that no other user can write.
bool IsOwnFile(const QString& path);

// A program file opened once, checked through what was opened and held open for as long as it
// may be started, so what starts is what was checked: on Linux it is started through the open
// file itself (startPath() is /proc/self/fd/N); on Windows no one can write, replace or delete it
// while it is held. Any number of processes may be started from one at the same time.
class HeldProgramFile
{
public:
    // The file, or why it must not run: a phrase about the file ("it ...") or naming the folder
    // at fault.
    struct Opened
    {
        std::unique_ptr<HeldProgramFile> file;
        QString problem;
    };

    // A program installed by the administrator or by the user alone: a regular file that no one
    // but its owner can change, owned by the system (root, the administrators) or us, in a folder
    // of the same kind; and no folder above it up to the root lets anyone else move it away (as
    // sudo and OpenSSH check): each belongs to the system or us and only its owner can change it
    // (on POSIX a sticky folder of root's, such as /tmp, passes: no one can move what is ours).
    static Opened openInstalled(const QString& path);
    // A program file we wrote: ours, a regular file no one else can change, holding exactly data.
    static Opened openWritten(const QString& path, const QByteArray& data);

    ~HeldProgramFile();
    HeldProgramFile(const HeldProgramFile&) = delete;
    HeldProgramFile& operator=(const HeldProgramFile&) = delete;

    // Where the file is.
    const QString& path() const { return path_; }
    // What to start: the open file where the system allows it, else path().
    const QString& startPath() const { return startPath_; }

private:
    HeldProgramFile(const QString& path, qintptr handle);

    QString path_;
    QString startPath_;
    qintptr handle_;
};

// Whether path starts a held program file (see HeldProgramFile::startPath) that no one but its
// owner, the system or us, can change.
bool IsClosedHeldProgram(const QString& path);

// The name of a folder of this user's in a shared folder such as the system temporary folder.
QString UserFolderName();

// This user's folder in the system temporary folder.
QString UserTempFolderName();
