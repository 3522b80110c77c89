#pragma once

#include <QString>
#include <optional>

// Why a folder can take no results now, in words for the final box ("the output folder X no
// longer exists"), or nothing when it looks usable. Asked after a result could not be written,
// to tell a folder that has gone, turned read-only or filled up from a problem of one file.
std::optional<QString> OutputFolderProblem(const QString& folder);
