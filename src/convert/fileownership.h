#pragma once

#include <QString>

// Facts about who may change a file or folder. The converter is only run from places no other
// user can write.

// Whether anything is at the path, a dangling symbolic link included.
bool EntryExists(const QString& path);

// Whether the path is a real folder (not a link) of ours that no other user can write.
bool IsPrivateFolder(const QString& path);

// Creates the folder, readable only by us, when it is missing; true when it is then private.
bool MakePrivateFolder(const QString& path);

// Whether the path is a regular file (not a link) of ours that no other user can write.
bool IsOwnFile(const QString& path);

// This user's folder name in the system temporary folder.
QString UserTempFolderName();
