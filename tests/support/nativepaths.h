#pragma once
// The window shows and stores paths in the system's own form ("\" on Windows); tests write them
// with "/" and compare through these.
#include <QDir>
#include <QStringList>

inline QString Native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

inline QStringList NativeList(const QStringList& paths)
{
    QStringList out;
    for (const QString& path : paths)
        out << Native(path);
    return out;
}

// What a full path starts with before its first separator: a drive on Windows, nothing elsewhere.
inline QString DrivePrefix()
{
#ifdef Q_OS_WIN
    return QStringLiteral("C:");
#else
    return {};
#endif
}
