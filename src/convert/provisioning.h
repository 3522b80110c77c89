#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class HeldProgramFile;
class QLockFile;

// The converter build carried inside the program. Throws AppError when it is missing.
QByteArray LoadConverterBuild();

// Writes data to path, executable by the owner only, unless something is already there. Throws
// AppError when the file cannot be written.
void WriteBytesIfMissing(const QByteArray& data, const QString& path);

// The converter file of one run: a name of its own in a converter folder, locked for as long as
// the run lasts, so two windows never share (or delete) each other's converter and a later run
// can tell a file that a killed run left behind from one in use. The file is held open from its
// check on (see HeldProgramFile): start path() while the lease lives, as often and as many at a
// time as the run likes, and what starts is the file that was checked.
class ConverterLease
{
public:
    // Takes a fresh name in the folder and writes data there. Throws AppError when it cannot.
    ConverterLease(const QString& folder, const QByteArray& data);
    // The installed converter, used where it is: nothing is written, locked or deleted. Throws
    // AppError with the reason when it must not run.
    static std::unique_ptr<ConverterLease> inPlace(const QString& installedPath);
    // Deletes a file it wrote, then gives up the name.
    ~ConverterLease();
    ConverterLease(const ConverterLease&) = delete;
    ConverterLease& operator=(const ConverterLease&) = delete;

    // What to start (on Linux the open file, /proc/self/fd/N).
    const QString& path() const;
    // Where the file is, to show.
    const QString& file() const { return file_; }

private:
    explicit ConverterLease(std::unique_ptr<HeldProgramFile> installed);

    QString file_;
    std::unique_ptr<QLockFile> lock_;
    std::unique_ptr<HeldProgramFile> held_;
};

// Deletes the converter files in a folder whose runs are over (a window closed or killed during
// its run leaves its file behind). Files in use, and files that are not ours, stay.
void RemoveStaleConverters(const QString& folder);

// Where a run's converter was put, or why it could be put nowhere.
struct ProvisionedConverter
{
    // The converter file of the run (the installed one, or a copy written for it); null when
    // there is none.
    std::unique_ptr<ConverterLease> lease;
    // Whether the lease is the installed converter, run where it is.
    bool installed = false;
    // One line per place that was tried and passed over: the folder (or file) and the reason.
    QStringList passedOver;
};

// The converter for a run. The installed converter (installedPath, "" for none) runs where it
// is when only the system or the user can change it and it starts. Otherwise data is put in the
// first of the folders that is private to us, in a file of the run's own, and the converter is
// let start from there. Throws AppError when it comes to writing and data is empty.
ProvisionedConverter ProvisionConverter(const QByteArray& data, const QStringList& folders,
                                        const QString& installedPath = {});

// Why the converter file (or a lease's path()) must not be run, or nothing when it may (a
// missing file simply fails to start).
std::optional<QString> ConverterFileProblem(const QString& path);
