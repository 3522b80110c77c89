#pragma once

#include "paths.h"

#include <QStringList>

// The paths chosen in the file-open dialog, in the dialog's order. A single path is taken whole;
// several names are joined to their folder and collapsed, so a root yields one separator; after
// an empty folder part every path is whole and taken as it is.
QStringList PathsFromOpenFilesResult(const QString& result, const PathStyle& style = kNativePaths);
