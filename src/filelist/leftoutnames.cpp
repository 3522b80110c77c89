#include "leftoutnames.h"

#include "paths.h"

#include <QFile>

namespace {

thread_local LeftOutNames* current = nullptr;

} // namespace

LeftOutNames::LeftOutNames() : outer_(current)
{
    current = this;
}

LeftOutNames::~LeftOutNames()
{
    current = outer_;
}

void LeftOutNames::note(const QString& folder, const QByteArray& rawName)
{
    if (!current)
        return;
    QString path = folder;
    if (!path.isEmpty() && !path.endsWith(QLatin1Char('/')) && !path.endsWith(QLatin1Char('\\')))
        path += QLatin1Char('/');
    current->paths_.append(ShownPath(path + EscapedBytes(rawName)));
}

void LeftOutNames::note(const QByteArray& rawPath)
{
    if (current)
        current->paths_.append(EscapedBytes(rawPath));
}

void LeftOutNames::noteUnreadable(const QString& folder)
{
    if (!current)
        return;
    QString path = ShownPath(folder);
    // "/a/b/" shows as "/a/b"; a root keeps its separator.
    if (path.size() > 1 && path.endsWith(kNativePaths.separator) &&
        !path.endsWith(QStringLiteral(":\\")))
        path.chop(1);
    if (!current->unreadable_.contains(path))
        current->unreadable_.append(path);
}

namespace {

QString listed(const QStringList& paths, int shown)
{
    QString text;
    for (qsizetype i = 0; i < paths.size() && i < shown; ++i)
        text += QLatin1Char('\n') + paths[i];
    if (paths.size() > shown)
        text += QStringLiteral("\n... and %1 more").arg(paths.size() - shown);
    return text;
}

} // namespace

QString LeftOutNames::report(int shown) const
{
    QStringList parts;
    const auto section = [&](const QStringList& paths, const QString& one, const QString& many,
                             const QString& advice) {
        if (!paths.isEmpty())
            parts.append((paths.size() == 1 ? one : many.arg(paths.size())) + listed(paths, shown) +
                         advice);
    };
    section(paths_,
            QStringLiteral("1 file or folder was left out because its name is not valid text:"),
            QStringLiteral("%1 files or folders were left out because their names are not valid "
                           "text:"),
            QStringLiteral("\n\nRename them to add them to the list."));
    section(unreadable_,
            QStringLiteral("1 folder was left out because it cannot be read (no permission):"),
            QStringLiteral("%1 folders were left out because they cannot be read (no "
                           "permission):"),
            QStringLiteral("\n\nTheir files are not in the list; allow yourself to read them to "
                           "add them."));
    return parts.join(QStringLiteral("\n\n"));
}

bool IsRepresentableName(const QByteArray& raw)
{
    return QFile::encodeName(QFile::decodeName(raw)) == raw;
}

QString EscapedBytes(const QByteArray& raw)
{
    QString text;
    text.reserve(raw.size());
    for (const char c : raw) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && byte != '\\')
            text += QLatin1Char(c);
        else
            text += QStringLiteral("\\x%1").arg(byte, 2, 16, QLatin1Char('0'));
    }
    return text;
}
