#include "apperror.h"
#include "converterlocation.h"
#include "fileownership.h"
#include "installedconverter.h"
#include "noexecmount.h"
#include "paths.h"
#include "provisioning.h"
#include "qtprinters.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString& path, const QByteArray& data, mode_t mode)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(data);
    file.close();
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0);
}

// The exit code of program run with arguments; -1 when it did not run to its end.
int exitCodeOf(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
        return -1;
    return process.exitCode();
}

// Puts another program where path was, the way someone replacing it would: a new file renamed
// over the name.
void replaceWithFalse(const QString& path)
{
    const QString swapped = path + ".swapped";
    QFile::remove(swapped);
    ASSERT_TRUE(QFile::copy(QStringLiteral("/bin/false"), swapped));
    ASSERT_EQ(::chmod(QFile::encodeName(swapped).constData(), 0755), 0);
    ASSERT_EQ(::rename(QFile::encodeName(swapped).constData(), QFile::encodeName(path).constData()),
              0);
}

mode_t modeOf(const QString& path)
{
    struct stat info;
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}

class ScopedEnv
{
public:
    ScopedEnv(const char* name, const QByteArray& value)
        : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name))
    {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~ScopedEnv()
    {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }

private:
    const char* name_;
    bool had_;
    QByteArray old_;
};

} // namespace

TEST(LoadConverterBuild, CarriesTheStrippedConverterByteForByte)
{
    const QByteArray carried = LoadConverterBuild();
    EXPECT_FALSE(carried.isEmpty());
    EXPECT_EQ(carried, readAll(QStringLiteral(EMBEDDED_NCONVERT)));
    EXPECT_LT(carried.size(), readAll(QStringLiteral(REAL_NCONVERT)).size());
}

TEST(WriteBytesIfMissing, WritesCompleteOwnerOnlyExecutable)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("nconvert");
    WriteBytesIfMissing("converter bytes", path);
    EXPECT_EQ(readAll(path), "converter bytes");
    EXPECT_EQ(modeOf(path), 0700u);
    // Nothing but the file itself is left behind.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{"nconvert"});

    WriteBytesIfMissing("other bytes", path);
    EXPECT_EQ(readAll(path), "converter bytes");
}

TEST(WriteBytesIfMissing, UnwritableFolderIsReported)
{
    QTemporaryDir dir;
    EXPECT_THROW(WriteBytesIfMissing("x", dir.filePath("missing/nconvert")), AppError);
}

// Files a run leaves in its converter folder.
QStringList entriesOf(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                  QDir::NoDotAndDotDot);
}

TEST(ConverterLease, EachRunHasItsOwnFileAndStaleOnesAreSweptAway)
{
    QTemporaryDir dir;
    auto first = std::make_unique<ConverterLease>(dir.path(), "first");
    ConverterLease second(dir.path(), "second");
    EXPECT_NE(first->file(), second.file());
    EXPECT_EQ(readAll(first->file()), "first");
    EXPECT_EQ(modeOf(second.file()), 0700u);

    // Left by runs that were killed: one whose lock names a process that has ended, one with no
    // lock at all; and a file someone else could have changed, which is never ours to delete.
    const pid_t ended = ::fork();
    if (ended == 0)
        ::_exit(0);
    ASSERT_GT(ended, 0);
    ::waitpid(ended, nullptr, 0);
    const QString killed = dir.filePath("nconvert-0badf00d");
    writeFile(killed, "stale", 0700);
    writeFile(killed + ".lock", QByteArray::number(ended) + "\nnconvert\n\n", 0600);
    writeFile(dir.filePath("nconvert-00c0ffee"), "stale", 0700);
    writeFile(dir.filePath("nconvert-0f0e0d0c"), "foreign", 0775);
    writeFile(dir.filePath("unrelated"), "kept", 0600);

    RemoveStaleConverters(dir.path());
    QStringList expected = {FileNameOf(first->file()), FileNameOf(first->file()) + ".lock",
                            FileNameOf(second.file()), FileNameOf(second.file()) + ".lock",
                            "nconvert-0f0e0d0c",       "unrelated"};
    expected.sort();
    EXPECT_EQ(entriesOf(dir.path()), expected);

    // A run that ends takes only its own file with it.
    const QString firstPath = first->file();
    first.reset();
    EXPECT_FALSE(QFile::exists(firstPath));
    EXPECT_FALSE(QFile::exists(firstPath + ".lock"));
    EXPECT_EQ(readAll(second.file()), "second");
}

TEST(ProvisionConverter, PassesOverFoldersItCannotUseAndSaysWhy)
{
    QTemporaryDir dir;
    const QByteArray converter = readAll(QStringLiteral(REAL_NCONVERT));
    const QString shared = dir.filePath("shared");
    ASSERT_TRUE(QDir().mkdir(shared));
    ASSERT_EQ(::chmod(QFile::encodeName(shared).constData(), 0777), 0);
    NoExecMount noexec(dir.filePath("noexec"));
    const QString good = dir.filePath("good");

    QStringList folders = {shared};
    if (noexec.mounted())
        folders.append(noexec.path());
    else
        std::printf("noexec folder not tried: mounting needs root\n");
    folders.append(good);
    ProvisionedConverter provisioned = ProvisionConverter(converter, folders);
    ASSERT_TRUE(provisioned.lease);
    EXPECT_TRUE(provisioned.lease->file().startsWith(good + "/nconvert-"));
    EXPECT_EQ(provisioned.passedOver.size(), folders.size() - 1);
    EXPECT_TRUE(provisioned.passedOver[0].startsWith(shared + ": "));
    if (noexec.mounted()) {
        EXPECT_TRUE(provisioned.passedOver[1].startsWith(noexec.path() + ": "));
        EXPECT_TRUE(provisioned.passedOver[1].contains("ermission denied"));
        // What could not run there is not left there.
        EXPECT_TRUE(entriesOf(noexec.path()).isEmpty());
    }

    provisioned = ProvisionConverter(converter, {shared});
    EXPECT_FALSE(provisioned.lease);
    EXPECT_EQ(provisioned.passedOver.size(), 1);
    EXPECT_THROW(ProvisionConverter(QByteArray(), {good}), AppError);
}

TEST(ConverterLease, AFolderThatCannotBeWrittenIsNamedAsTheCause)
{
    QTemporaryDir dir;
    NoExecMount readOnly(dir.filePath("ro"), true);
    if (!readOnly.mounted()) {
        ASSERT_EQ(::chmod(QFile::encodeName(readOnly.path()).constData(), 0500), 0);
    }
    try {
        ConverterLease lease(readOnly.path(), "converter");
        ADD_FAILURE() << "a converter was written to a read-only folder";
    } catch (const AppError& error) {
        EXPECT_TRUE(error.description().contains("the folder cannot be written"))
            << error.description().toStdString();
    }
}

TEST(ProvisionConverter, AnInstalledConverterOnlyTheSystemOrWeCanChangeRunsWhereItIs)
{
    QTemporaryDir dir;
    const QString bin = dir.filePath("prefix/bin"),
                  libexec = dir.filePath("prefix/libexec/corvenda");
    ASSERT_TRUE(QDir().mkpath(bin) && QDir().mkpath(libexec));
    EXPECT_EQ(InstalledConverterFor(bin, "../libexec/corvenda"), "");
    const QByteArray converter = readAll(QStringLiteral(REAL_NCONVERT));
    writeFile(libexec + "/nconvert", converter, 0755);
    const QString installed = InstalledConverterFor(bin, "../libexec/corvenda");
    EXPECT_EQ(installed, libexec + "/nconvert");

    const QString temp = dir.filePath("temp");
    ProvisionedConverter provisioned = ProvisionConverter(QByteArray(), {temp}, installed);
    ASSERT_TRUE(provisioned.lease);
    EXPECT_TRUE(provisioned.installed);
    EXPECT_EQ(provisioned.lease->file(), installed);
    EXPECT_FALSE(ConverterFileProblem(installed));
    EXPECT_FALSE(ConverterFileProblem(provisioned.lease->path()));
    provisioned.lease.reset();
    EXPECT_TRUE(QFile::exists(installed));
    EXPECT_FALSE(QFile::exists(temp));

    // Changeable by others (the file, its folder, any folder above), or owned by another user: a
    // copy runs instead, and the reason names what is at fault.
    const QString prefix = dir.filePath("prefix");
    const auto chmodOf = [](const QString& path, mode_t mode) {
        ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0);
    };
    const auto restore = [&] {
        chmodOf(installed, 0755);
        chmodOf(libexec, 0755);
        chmodOf(prefix, 0755);
        for (const QString& path : {installed, prefix})
            ASSERT_EQ(::chown(QFile::encodeName(path).constData(), ::geteuid(), ::getegid()), 0);
    };
    const auto passedOverFor = [&](const std::function<void()>& spoil, const QString& reason) {
        restore();
        spoil();
        provisioned = ProvisionConverter(converter, {temp}, installed);
        ASSERT_TRUE(provisioned.lease);
        EXPECT_FALSE(provisioned.installed);
        EXPECT_TRUE(provisioned.lease->file().startsWith(temp + "/nconvert-"));
        ASSERT_EQ(provisioned.passedOver.size(), 1);
        EXPECT_EQ(provisioned.passedOver[0], installed + ": " + reason);
    };
    passedOverFor([&] { chmodOf(installed, 0775); }, "other users can change it");
    passedOverFor([&] { chmodOf(libexec, 0777); },
                  "other users can change the folder " + libexec + " on its path");
    passedOverFor([&] { chmodOf(prefix, 0777); },
                  "other users can change the folder " + prefix + " on its path");
    // Only root's own sticky folders (like /tmp, which this test's folder is in) keep names safe.
    passedOverFor([&] { chmodOf(libexec, 01777); },
                  "other users can change the folder " + libexec + " on its path");
    restore();
    chmodOf(prefix, 01777);
    provisioned = ProvisionConverter(converter, {temp}, installed);
    EXPECT_EQ(provisioned.installed, ::geteuid() == 0);
    if (::geteuid() == 0) {
        passedOverFor([&] { ::chown(QFile::encodeName(installed).constData(), 65534, 65534); },
                      "it belongs to another user");
        passedOverFor(
            [&] {
                ::chown(QFile::encodeName(prefix).constData(), 65534, 65534);
                chmodOf(prefix, 01777);
            },
            "the folder " + prefix + " on its path belongs to another user");
    }
}

// The file is opened once and checked through what was opened; replacing it afterwards changes
// nothing the lease starts, however often.
TEST(ConverterLease, StartsTheFileThatWasCheckedEvenWhenItIsReplaced)
{
    QTemporaryDir dir;
    const QString libexec = dir.filePath("libexec");
    ASSERT_TRUE(QDir().mkpath(libexec));
    const QString installed = libexec + "/nconvert";
    writeFile(installed, readAll(QStringLiteral(FAKE_NCONVERT)), 0755);
    const QStringList exitSeven = {"--exit", "7"};

    const std::unique_ptr<ConverterLease> inPlace = ConverterLease::inPlace(installed);
    ConverterLease written(dir.path(), readAll(QStringLiteral(FAKE_NCONVERT)));
    for (const ConverterLease* lease : {inPlace.get(), &written}) {
        // Started through the open file, which is the checked one.
        EXPECT_EQ(QFileInfo(lease->path()).canonicalFilePath(), lease->file());
        EXPECT_FALSE(ConverterFileProblem(lease->path()));
        replaceWithFalse(lease->file());
        EXPECT_EQ(exitCodeOf(lease->file(), exitSeven), 1);
        EXPECT_EQ(exitCodeOf(lease->path(), exitSeven), 7);
        EXPECT_EQ(exitCodeOf(lease->path(), exitSeven), 7);
    }
}

TEST(ConverterLease, AnInstalledConverterThatMustNotRunIsRefusedWithTheReason)
{
    QTemporaryDir dir;
    const QString installed = dir.filePath("nconvert");
    writeFile(installed, "converter", 0757);
    try {
        ConverterLease::inPlace(installed);
        ADD_FAILURE() << "a converter others can change was taken";
    } catch (const AppError& error) {
        EXPECT_EQ(error.description(), "other users can change it");
    }
    EXPECT_EQ(InstalledConverterProblem(installed), installed + ": other users can change it");
    EXPECT_THROW(ConverterLease::inPlace(dir.filePath("missing")), AppError);
    // A named pipe in its place is refused at once rather than waited on.
    ASSERT_EQ(::mkfifo(QFile::encodeName(dir.filePath("pipe")).constData(), 0755), 0);
    EXPECT_EQ(InstalledConverterProblem(dir.filePath("pipe")),
              dir.filePath("pipe") + ": it is not a plain file");
}

TEST(ConverterFileProblem, OnlyOurOwnPlainFilesMayRun)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("nconvert-01234567");
    EXPECT_FALSE(ConverterFileProblem(path));
    writeFile(path, "ours", 0700);
    EXPECT_FALSE(ConverterFileProblem(path));
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0770), 0);
    EXPECT_TRUE(ConverterFileProblem(path));
    QFile::remove(path);
    ASSERT_TRUE(QFile::link(dir.filePath("elsewhere"), path));
    EXPECT_TRUE(ConverterFileProblem(path));
}

TEST(ConverterFolderCandidates, TempThenRuntimeThenSystemTempThenCache)
{
    QTemporaryDir dir;
    const QString shared = dir.filePath("temp");
    ASSERT_TRUE(QDir().mkdir(shared));
    ASSERT_EQ(::chmod(QFile::encodeName(shared).constData(), 01777), 0);
    ScopedEnv temp("TEMP", QFile::encodeName(shared));
    ScopedEnv runtime("XDG_RUNTIME_DIR", QFile::encodeName(dir.filePath("run")));
    ScopedEnv tmpdir("TMPDIR", QFile::encodeName(dir.filePath("tmp")));
    ASSERT_TRUE(QDir().mkdir(dir.filePath("tmp")));
    const QString mine = QStringLiteral("corvenda-%1").arg(::geteuid());
    EXPECT_EQ(ConverterFolderCandidates(),
              (QStringList{shared + "/" + mine, dir.filePath("run"), dir.filePath("tmp/") + mine,
                           QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
                               "/corvenda"}));

    // A system temporary folder that does not exist gives no candidate (not one in "/").
    {
        ScopedEnv missing("TMPDIR", QFile::encodeName(dir.filePath("missing")));
        EXPECT_EQ(ConverterFolderCandidates().size(), 3);
    }

    // A TEMP of our own is used as it is; missing parents of a folder are made on the way.
    ASSERT_EQ(::chmod(QFile::encodeName(shared).constData(), 0700), 0);
    EXPECT_EQ(ConverterFolderCandidates().front(), shared);
    EXPECT_TRUE(MakePrivateFolder(dir.filePath("cache/corvenda")));
    EXPECT_EQ(modeOf(dir.filePath("cache/corvenda")), 0700u);
}
