#include "leftoutnames.h"

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
    current->paths_.append(path + EscapedBytes(rawName));
}

void LeftOutNames::note(const QByteArray& rawPath)
{
    if (current)
        current->paths_.append(EscapedBytes(rawPath));
}

QString LeftOutNames::report(int shown) const
{
    if (paths_.isEmpty())
        return {};
    QString text = paths_.size() == 1
                       ? QStringLiteral("1 file or folder was left out because its name is not "
                                        "valid text:")
                       : QStringLiteral("%1 files or folders were left out because their names "
                                        "are not valid text:")
                             .arg(paths_.size());
    for (qsizetype i = 0; i < paths_.size() && i < shown; ++i)
        text += QLatin1Char('\n') + paths_[i];
    if (paths_.size() > shown)
        text += QStringLiteral("\n... and %1 more").arg(paths_.size() - shown);
    return text + QStringLiteral("\n\nRename them to add them to the list.");
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
