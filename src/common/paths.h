#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// How paths are spelled: the separator, and whether a leading double separator is a network
// prefix. The procedures take it as a parameter so Windows semantics can be tested anywhere.
struct PathStyle
{
    QChar separator;
    bool networkPrefix;
};

inline const PathStyle kWindowsPaths{QLatin1Char('\\'), true};
inline const PathStyle kPosixPaths{QLatin1Char('/'), false};
#ifdef Q_OS_WIN
inline const PathStyle kNativePaths = kWindowsPaths;
#else
inline const PathStyle kNativePaths = kPosixPaths;
#endif

inline QString NativeSeparator()
{
    return QString(kNativePaths.separator);
}

// Everything after the last separator; the whole path when there is none.
QString FileNameOf(const QString& path, const PathStyle& style = kNativePaths);

// The path up to and including the last separator; "" when there is none.
QString FolderOf(const QString& path, const PathStyle& style = kNativePaths);

// The name without its last extension; a name whose only dot is its first character is kept.
QString StripExtension(const QString& name);

// Replaces each pair of separators by one in a single pass. With network prefixes, any run of
// leading separators becomes exactly two.
QString CollapseBackslashes(const QString& path, const PathStyle& style = kNativePaths);

// A path as messages show it: each run of separators made one, so joins such as a root and the
// separator after it never show doubled (a network prefix keeps its two).
QString ShownPath(const QString& path, const PathStyle& style = kNativePaths);

// A folder as the user typed or pasted it.
struct UserFolder
{
    QString path;
    // It names no root ("/" here; a drive "X:\" or "\\server" on Windows), so it would be
    // taken from whatever folder the program was started in: callers refuse it.
    bool relative = false;
};

// Surrounding white space and one pair of surrounding quotes (Explorer's "Copy as path" adds
// double quotes) are removed, and "~" alone or at the start ("~/", "~\" on Windows) becomes
// homeFolder. Empty text gives an empty path that is not relative.
UserFolder FolderFromUserText(const QString& text, const QString& homeFolder,
                              const PathStyle& style = kNativePaths);
// The same with the user's own home folder.
UserFolder FolderFromUserText(const QString& text);

// The message that refuses a relative output folder (path: as FolderFromUserText gave it).
QString RelativeFolderRefusal(const QString& path);

// true for a folder, false for anything else that exists, nothing when the path cannot be read.
std::optional<bool> IsFolder(const QString& path);

// Whether the path names something that exists and whose modification time can be read.
bool PathExists(const QString& path);

// Deletes a file, read-only ones too. Failures leave the file in place and are not reported.
void DeleteFileForced(const QString& path);

// The Desktop folder and one separator. Throws AppError (invalid argument) when there is none.
QString DesktopFolderPath();
// The same for a given desktop location ("" when the platform could not resolve one).
QString DesktopFolderPath(const QString& desktopLocation);

// Where results go on first start: the first of the folders that exists (the desktop, the
// pictures folder, the home folder), with one trailing separator; "" when none does.
QString DefaultOutputFolderPath(const QStringList& candidates);
// The same for this user's desktop, pictures and home folders: a fresh account may have no
// desktop folder, and a run into a folder that is not there fails at once.
QString DefaultOutputFolderPath();
