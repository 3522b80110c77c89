// Windows theme packs with every quirk real ones have, made into Linux cursor themes: every role
// mapped, every missing, unset and unmapped file named in the report, the themes found by
// libXcursor under the names Linux programs ask for.
#include "cursorroles.h"
#include "qtprinters.h"
#include "samplecheck.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <map>
#include <set>
// Last: Xlib's macros (None, Bool ...) clash with names in the headers above.
#include <X11/Xcursor/Xcursor.h>

namespace {

const QString kPacks = QStringLiteral(THEME_PACKS_DIR);

struct Pack
{
    QString folder, argument;
    int exitCode = 0;
    int themes = 0;
    std::map<QString, std::set<QString>> roleLines; // theme -> "role\tArrow\tFILE" ...
    std::set<QString> unmapped;
    QStringList noteWords;
};

// expected.txt, as samplegen themepacks writes it.
std::vector<Pack> ExpectedPacks()
{
    std::vector<Pack> packs;
    QFile file(kPacks + "/expected.txt");
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return packs;
    for (const QString& line : QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts)) {
        const QStringList f = line.split('\t');
        if (f[0] == "pack") {
            packs.push_back({f[1], f[2], f[3].toInt(), 0, {}, {}, {}});
            continue;
        }
        Pack& p = packs.back();
        const QString base = kPacks + "/" + p.folder + "/";
        if (f[0] == "themes")
            p.themes = f[2].toInt();
        else if (f[0] == "role")
            p.roleLines[f[2]].insert("role\t" + f[3] + "\t" + base + f[4]);
        else if (f[0] == "missing")
            p.roleLines[f[2]].insert("missing\t" + f[3] + "\t" + f[4]);
        else if (f[0] == "failed")
            p.roleLines[f[2]].insert("failed\t" + f[3] + "\t" + base + f[4]);
        else if (f[0] == "unset")
            p.roleLines[f[2]].insert("unset\t" + f[3]);
        else if (f[0] == "unmapped")
            p.unmapped.insert(base + f[2]);
        else if (f[0] == "note")
            p.noteWords << f[2];
    }
    return packs;
}

struct ThemeRun
{
    int exitCode = -1;
    QStringList lines;
    QString error;
};

ThemeRun RunTheme(const QStringList& arguments,
                  const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
{
    QProcess p;
    p.setProcessEnvironment(environment);
    p.start(QStringLiteral(NCONVERT_PATH), QStringList{"-theme"} + arguments);
    ThemeRun run;
    if (!p.waitForFinished(120000))
        return run;
    run.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    run.lines = QString::fromUtf8(p.readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
    run.error = QString::fromUtf8(p.readAllStandardError());
    return run;
}

// A report split into its theme blocks.
struct Block
{
    QStringList head; // the theme or skipped line's fields
    std::set<QString> roles;
    QString installed;
    QString linked;
};

struct Report
{
    std::vector<Block> themes;
    std::set<QString> unmapped;
    QStringList notes;
    QStringList sources;
};

Report Parse(const QStringList& lines)
{
    Report r;
    for (const QString& line : lines) {
        const QStringList f = line.split('\t');
        if (f[0] == "theme" || f[0] == "skipped")
            r.themes.push_back({f, {}, {}, {}});
        else if (f[0] == "role" || f[0] == "missing" || f[0] == "unset" || f[0] == "failed") {
            // Role lines end with the cursor's name, failed ones with the reason; the
            // expectations leave both out.
            const bool detailed = f[0] == "role" || f[0] == "failed";
            r.themes.back().roles.insert(detailed ? QStringList(f.mid(0, 3)).join('\t') : line);
            if (f[0] == "failed") {
                EXPECT_TRUE(f.value(3).contains("damaged file")) << line.toStdString();
            }
        } else if (f[0] == "installed")
            r.themes.back().installed = f[1];
        else if (f[0] == "linked")
            r.themes.back().linked = f[1];
        else if (f[0] == "unmapped")
            r.unmapped.insert(f[1]);
        else if (f[0] == "note")
            r.notes << f[1];
        else if (f[0] == "source")
            r.sources << f[1];
        else
            ADD_FAILURE() << "an unknown line: " << line.toStdString();
    }
    return r;
}

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

const ctheme::RoleInfo* RoleNamed(const QString& name)
{
    for (const ctheme::RoleInfo& info : ctheme::roleTable())
        if (name == QString::fromUtf8(info.registryName.data(), int(info.registryName.size())))
            return &info;
    return nullptr;
}

TEST(ThemePacks, EveryQuirkComesOutRightOrIsNamed)
{
    const std::vector<Pack> packs = ExpectedPacks();
    ASSERT_GE(packs.size(), 10u) << "expected.txt is missing";
    QTemporaryDir out;
    // libXcursor reads its path once per process, at its first look-up, below.
    qputenv("XCURSOR_PATH", QFile::encodeName(out.filePath("ascii")));
    std::map<QString, QByteArray> alone; // each source file as -out xcursor makes it
    for (const Pack& pack : packs) {
        SCOPED_TRACE(pack.folder.toStdString());
        const QString into = out.filePath(pack.folder);
        const ThemeRun run =
            RunTheme({kPacks + "/" + pack.argument, "-o", into, "-sizes", "24,32"});
        ASSERT_EQ(run.exitCode, pack.exitCode) << run.error.toStdString();
        const Report report = Parse(run.lines);
        EXPECT_EQ(report.unmapped, pack.unmapped);
        for (const QString& words : pack.noteWords)
            EXPECT_TRUE(report.notes.join('\n').contains(words)) << words.toStdString();
        EXPECT_EQ(int(report.themes.size()), pack.themes);
        if (pack.exitCode != 0) {
            EXPECT_EQ(run.error.count('\n'), 1) << run.error.toStdString();
            continue;
        }
        for (const Block& theme : report.themes) {
            ASSERT_EQ(theme.head[0], "theme");
            const QString folder = theme.head[1], name = theme.head[2];
            SCOPED_TRACE(name.toStdString());
            ASSERT_TRUE(pack.roleLines.count(name)) << "a theme nobody expected";
            EXPECT_EQ(theme.roles, pack.roleLines.at(name));
            EXPECT_TRUE(ReadAll(folder + "/index.theme")
                            .contains(("Name=" + name + "\nComment=").toUtf8()));
            EXPECT_TRUE(ReadAll(folder + "/index.theme").contains("\nInherits=Adwaita\n"));
            for (const QString& line : run.lines) {
                const QStringList f = line.split('\t');
                if (f[0] != "role" || !theme.roles.count(QStringList(f.mid(0, 3)).join('\t')))
                    continue;
                const ctheme::RoleInfo* role = RoleNamed(f[1]);
                ASSERT_TRUE(role);
                // The cursor is exactly what -out xcursor makes of its file...
                if (!alone.count(f[2])) {
                    const QString single = out.filePath("single");
                    QFile::remove(single);
                    EXPECT_EQ(
                        RunConverter({"-out", "xcursor", "-sizes", "24,32", "-o", single, f[2]})
                            .exitCode,
                        0);
                    alone[f[2]] = ReadAll(single);
                }
                const QString cursors = folder + "/cursors/";
                EXPECT_EQ(f[3], QString::fromUtf8(role->linuxNames[0].data()));
                EXPECT_EQ(ReadAll(cursors + f[3]), alone[f[2]]) << f[1].toStdString();
                // ...and every name of its role leads to it.
                for (std::string_view n : role->linuxNames) {
                    const QString link = cursors + QString::fromUtf8(n.data(), int(n.size()));
                    EXPECT_EQ(QFileInfo(link).canonicalFilePath(),
                              QFileInfo(cursors + f[3]).canonicalFilePath())
                        << link.toStdString();
                }
            }
        }
    }
    // The names programs ask for, found by libXcursor itself in a theme made here.
    for (const char* name : {"left_ptr", "xterm", "hand2", "sb_h_double_arrow", "watch", "progress",
                             "not-allowed", "all-scroll", "nwse-resize"}) {
        XcursorImages* images = XcursorLibraryLoadImages(name, "Neon Ascii", 32);
        EXPECT_TRUE(images) << name;
        if (images)
            XcursorImagesDestroy(images);
    }
}

TEST(ThemePacks, DefaultSizesMatchAcrossTheThemeAndInstallNeverReplaces)
{
    QTemporaryDir home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOME", home.path());
    environment.remove("XDG_DATA_HOME");
    const QString pack = kPacks + "/ascii";
    const ThemeRun first = RunTheme({pack, "-o", home.filePath("out")}, environment);
    ASSERT_EQ(first.exitCode, 0) << first.error.toStdString();
    const ThemeRun second = RunTheme({pack, "--install"}, environment);
    ASSERT_EQ(second.exitCode, 0) << second.error.toStdString();
    const ThemeRun third = RunTheme({pack, "--install", "-o", home.filePath("out")}, environment);
    ASSERT_EQ(third.exitCode, 0) << third.error.toStdString();

    const QString icons = home.filePath(".local/share/icons/");
    const Report installedOnce = Parse(second.lines), installedTwice = Parse(third.lines);
    ASSERT_EQ(installedOnce.themes.size(), 1u);
    EXPECT_EQ(installedOnce.themes[0].head[1], icons + "Neon Ascii");
    EXPECT_EQ(installedOnce.themes[0].installed, icons + "Neon Ascii");
    ASSERT_EQ(installedTwice.themes.size(), 1u);
    EXPECT_EQ(installedTwice.themes[0].head[1], home.filePath("out/Neon Ascii (2)"));
    EXPECT_EQ(installedTwice.themes[0].head[2], "Neon Ascii (2)");
    EXPECT_EQ(installedTwice.themes[0].installed, icons + "Neon Ascii (2)");
    EXPECT_TRUE(ReadAll(icons + "Neon Ascii (2)/index.theme").contains("Name=Neon Ascii (2)\n"));
    // Linked from ~/.icons for libXcursor builds that read no other folder of the user's.
    for (const char* name : {"Neon Ascii", "Neon Ascii (2)"})
        EXPECT_EQ(QFileInfo(home.filePath(".icons/") + name).symLinkTarget(), icons + name);
    EXPECT_EQ(installedOnce.themes[0].linked, home.filePath(".icons/Neon Ascii"));

    // The arrow carries 32 and 48, the others 32 alone: all get 32, 48 and 64.
    for (const char* cursor : {"default", "wait", "person"}) {
        const QByteArray path =
            QFile::encodeName(home.filePath("out/Neon Ascii/cursors/") + cursor);
        XcursorImages* images = XcursorFilenameLoadAllImages(path.constData());
        ASSERT_TRUE(images) << cursor;
        std::set<XcursorDim> sizes;
        for (int i = 0; i < images->nimage; ++i)
            sizes.insert(images->images[i]->size);
        EXPECT_EQ(sizes, (std::set<XcursorDim>{32, 48, 64})) << cursor;
        XcursorImagesDestroy(images);
    }
}

} // namespace

// Asked to end while it writes a theme (as the window's Stop does), the converter leaves the
// theme whole, having exited 0, or nothing: no half-made hidden folder either. Asked as soon as
// the hidden folder it builds in appears, and at once.
TEST(ThemePacks, AskedToEndAThemeIsWholeOrNotThere)
{
#ifdef _WIN32
    GTEST_SKIP() << "the window asks through an event on Windows; QProcess::terminate does not";
#else
    for (const bool atOnce : {true, false}) {
        QTemporaryDir out;
        QProcess p;
        p.start(QStringLiteral(NCONVERT_PATH), {"-theme", kPacks + "/ascii", "-sizes",
                                                "24,32,48,64,96,128,192,256", "-o", out.path()});
        ASSERT_TRUE(p.waitForStarted());
        bool asked = false;
        while (!p.waitForFinished(1)) {
            const bool building = !QDir(out.path())
                                       .entryList({".nconvert-theme-*"}, QDir::Dirs | QDir::Hidden)
                                       .isEmpty();
            if (!asked && (atOnce || building)) {
                p.terminate();
                asked = true;
            }
        }
        const QStringList left =
            QDir(out.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        if (p.exitStatus() == QProcess::NormalExit) {
            EXPECT_EQ(p.exitCode(), 0) << atOnce;
            EXPECT_EQ(left, QStringList{"Neon Ascii"}) << atOnce;
            EXPECT_TRUE(QFile::exists(out.filePath("Neon Ascii/index.theme")));
        } else {
            EXPECT_EQ(p.exitCode(), SIGTERM) << atOnce;
            EXPECT_TRUE(left.isEmpty()) << left.join(", ").toStdString();
        }
    }
#endif
}
