#pragma once

#include <QString>

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

// Whether the path is a regular file (not a link) that no one but its owner can change, in a
// folder no one else can change either, where the owner is the system (root, or the
// administrators) or us: a program installed by the administrator or by the user alone.
bool IsProtectedProgramFile(const QString& path);

// The name of a folder of this user's in a shared folder such as the system temporary folder.
QString UserFolderName();

// This user's folder in the system temporary folder.
QString UserTempFolderName();
