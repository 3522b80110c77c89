#include "themereport.h"

#include "cursorroles.h"
#include "paths.h"

#include <QDir>
#include <algorithm>

namespace {

QString themes(int n)
{
    return n == 1 ? QStringLiteral("1 Linux cursor theme")
                  : QStringLiteral("%1 Linux cursor themes").arg(n);
}

// A path of the pack as the box shows it: from the pack's folder on.
QString inPack(const QString& path, const QString& pack)
{
    const QString folder = QDir::toNativeSeparators(pack);
    if (path.startsWith(folder + QDir::separator()))
        return path.mid(folder.size() + 1);
    return path;
}

// The first few, then how many more; all of them when whole.
QString listed(const QStringList& items, bool whole)
{
    if (whole || items.size() <= ThemeRunReport::kListedFiles)
        return items.join(QStringLiteral(", "));
    return items.mid(0, ThemeRunReport::kListedFiles).join(QStringLiteral(", ")) +
           QStringLiteral(" and %1 more").arg(items.size() - ThemeRunReport::kListedFiles);
}

// What the scheme lacks or could not convert, a line per kind, indented under it.
QString schemeLines(const ThemeReport::Scheme& scheme, const QString& pack, bool whole)
{
    QString text;
    if (whole)
        for (const ThemeReport::Taken& taken : scheme.taken)
            text += QStringLiteral("\n  %1: %2, as cursors/%3")
                        .arg(RoleLabel(taken.role), inPack(taken.file, pack), taken.cursor);
    QStringList missing;
    for (const ThemeReport::Missing& m : scheme.missing)
        missing.append(QStringLiteral("%1 (%2)").arg(RoleLabel(m.role), m.name));
    if (!missing.isEmpty())
        text += QStringLiteral("\n  Not in the pack: ") + listed(missing, whole);
    for (const ThemeReport::Failed& f : scheme.failed)
        text += QStringLiteral("\n  Could not be converted: %1 (%2): %3")
                    .arg(inPack(f.file, pack), RoleLabel(f.role), f.reason);
    QStringList unset;
    for (const QString& role : scheme.unset)
        unset.append(RoleLabel(role));
    if (!unset.isEmpty())
        text += QStringLiteral("\n  Not given by the pack, so the inherited cursor shows: ") +
                listed(unset, true);
    return text;
}

// What a pack holds that no theme uses, and what the converter noted about it.
QString packLines(const ThemeReport& pack, const QString& packFolder, bool whole, bool cut)
{
    const QString name = whole ? packFolder : FileNameOf(packFolder);
    QString text;
    QStringList unmapped;
    for (const QString& file : pack.unmapped)
        unmapped.append(inPack(file, packFolder));
    if (!unmapped.isEmpty())
        text += QStringLiteral("\n  Cursor files of %1 no theme uses: %2")
                    .arg(name, listed(unmapped, whole));
    const QString within = QDir::toNativeSeparators(packFolder) + QDir::separator();
    for (const QString& note : pack.notes)
        text += QStringLiteral("\n  Note on %1: %2")
                    .arg(name, whole ? note : QString(note).remove(within));
    if (cut)
        text += QStringLiteral("\n  The converter said more about %1 than the window keeps; not "
                               "everything is listed.")
                    .arg(name);
    return text;
}

// "Done." only when every pack made its themes of every file its .inf names; otherwise how
// many files could not be used, or which packs failed.
QString headline(const RunPlan& plan, const ConversionReport& report, int unused)
{
    if (report.end() != RunEnd::Completed || report.failureCount() > 0)
        return report.summary(static_cast<int>(plan.size()), plan.itemWord(1), plan.itemWord(2));
    if (unused == 0)
        return QStringLiteral("Done.");
    return unused == 1 ? QStringLiteral("1 cursor file could not be used; it is named below.")
                       : QStringLiteral("%1 cursor files could not be used; each is named below.")
                             .arg(unused);
}

} // namespace

ThemeReport ParseThemeReport(const QByteArray& output)
{
    ThemeReport report;
    ThemeReport::Scheme* scheme = nullptr;
    for (QByteArray line : output.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        const QStringList f = QString::fromUtf8(line).split(QLatin1Char('\t'));
        const QString& kind = f[0];
        const auto field = [&](qsizetype i) { return f.value(i); };
        if (kind == QLatin1String("theme") || kind == QLatin1String("skipped")) {
            ThemeReport::Scheme next;
            next.made = kind == QLatin1String("theme");
            if (next.made) {
                next.folder = field(1);
                next.name = field(2);
                next.source = field(3);
            } else {
                next.name = field(1);
                next.source = field(2);
                next.skippedBecause = field(3);
            }
            report.schemes.append(next);
            scheme = &report.schemes.last();
        } else if (kind == QLatin1String("unmapped")) {
            report.unmapped.append(field(1));
        } else if (kind == QLatin1String("note")) {
            report.notes.append(field(1));
        } else if (!scheme) {
            continue;
        } else if (kind == QLatin1String("role")) {
            scheme->taken.append({field(1), field(2), field(3)});
        } else if (kind == QLatin1String("missing")) {
            scheme->missing.append({field(1), field(2)});
        } else if (kind == QLatin1String("unset")) {
            scheme->unset.append(field(1));
        } else if (kind == QLatin1String("failed")) {
            scheme->failed.append({field(1), field(2), field(3)});
        } else if (kind == QLatin1String("installed")) {
            scheme->installed = field(1);
        } else if (kind == QLatin1String("linked")) {
            scheme->linked = field(1);
        }
    }
    return report;
}

ThemeRunReport::ThemeRunReport(const RunPlan& plan, const ConversionReport& report,
                               bool installsHere)
{
    const bool install = plan.choices().install;
    int made = 0;
    int unused = 0;
    QString blocks;
    QString wholeBlocks;
    QStringList installed;
    QStringList links;
    for (const auto& [order, output] : report.outputs()) {
        const PlannedFile& job = plan.at(order);
        const ThemeReport pack = ParseThemeReport(output.text);
        QString block;
        QString whole;
        bool anyMade = false;
        for (const ThemeReport::Scheme& scheme : pack.schemes) {
            unused += static_cast<int>(scheme.missing.size() + scheme.failed.size());
            QString head;
            if (scheme.made) {
                ++made;
                anyMade = true;
                const QString folder = install ? scheme.installed : scheme.folder;
                themeFolders_.append(folder);
                if (install) {
                    installed.append(folder);
                    links.append(scheme.linked);
                }
                head = QStringLiteral("\"%1\" in %2").arg(scheme.name, folder);
            } else {
                head = QStringLiteral("Not made: \"%1\" of %2: %3")
                           .arg(scheme.name, scheme.source, scheme.skippedBecause);
            }
            block += QLatin1Char('\n') + head +
                     (install ? QString() : schemeLines(scheme, job.source, false));
            whole += QLatin1Char('\n') + head + QStringLiteral(", from ") + scheme.source +
                     schemeLines(scheme, job.source, true);
        }
        if (anyMade)
            sourcesOfThemes_.append(job.sources);
        // Installing, the box that made the themes has told what they lack.
        if (!install)
            block += packLines(pack, job.source, false, output.cut);
        whole += packLines(pack, job.source, true, output.cut);
        blocks += block;
        wholeBlocks += whole;
    }
    const QString lead =
        made == 0 ? QString()
                  : QStringLiteral("\n\n%1 %2:")
                        .arg(install ? QStringLiteral("Installed") : QStringLiteral("Made"),
                             themes(made));
    text_ = headline(plan, report, install ? 0 : unused) + lead + blocks;
    if (!installed.isEmpty())
        text_ += QStringLiteral("\n\n") + HowToUseThemes(installed, links);
    else if (made > 0 && !installsHere)
        text_ += QStringLiteral("\n\nTo use a theme on Linux, copy its folder to "
                                "~/.local/share/icons there and choose it in the desktop's "
                                "settings.");
    details_ = report.details();
    if (!wholeBlocks.isEmpty())
        details_ += (details_.isEmpty() ? QString() : QStringLiteral("\n")) + wholeBlocks.mid(1);
}

QString HowToUseThemes(const QStringList& installedFolders, const QStringList& links)
{
    if (installedFolders.isEmpty())
        return {};
    const QString name = FileNameOf(installedFolders.front());
    // Desktops know a theme by its folder's name; quoted for the shell the line is typed in.
    const QString quoted = name.contains(QLatin1Char('\''))
                               ? QLatin1Char('"') +
                                     QString(name)
                                         .replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
                                         .replace(QLatin1Char('"'), QStringLiteral("\\\""))
                                         .replace(QLatin1Char('$'), QStringLiteral("\\$"))
                                         .replace(QLatin1Char('`'), QStringLiteral("\\`")) +
                                     QLatin1Char('"')
                               : QLatin1Char('\'') + name + QLatin1Char('\'');
    const bool one = installedFolders.size() == 1;
    QString text =
        QStringLiteral(
            "To use %1:\n"
            "- GNOME: gsettings set org.gnome.desktop.interface cursor-theme %2 (or Tweaks, "
            "Appearance, Cursor)\n"
            "- KDE: System Settings > Colours & Themes > Cursors (Appearance > Cursors on "
            "Plasma 5)\n"
            "- XFCE: Settings > Mouse and Touchpad > Theme\n"
            "Programs already running keep their cursors until they are started again.\n\n")
            .arg(one ? QStringLiteral("it") : QStringLiteral("one, for example \"%1\"").arg(name),
                 quoted);
    const QString link = links.value(0);
    if (one)
        text +=
            link.isEmpty()
                ? QStringLiteral("To uninstall it, delete its folder: %1").arg(installedFolders[0])
                : QStringLiteral("To uninstall it, delete its folder %1 and the link to it, %2 "
                                 "(made for programs that look in ~/.icons alone).")
                      .arg(installedFolders[0], link);
    else
        text +=
            std::any_of(links.begin(), links.end(), [](const QString& l) { return !l.isEmpty(); })
                ? QStringLiteral("To uninstall one, delete its folder (named above) and its link "
                                 "of that name in ~/.icons (made for programs that look there "
                                 "alone).")
                : QStringLiteral("To uninstall one, delete its folder (named above).");
    return text;
}

QString RoleLabel(const QString& registryName)
{
    const auto role = ctheme::roleFromRegistryName(registryName.toStdString());
    if (!role)
        return registryName;
    const std::string_view label = ctheme::roleInfo(*role).label;
    return QString::fromUtf8(label.data(), static_cast<qsizetype>(label.size()));
}
