#pragma once

#include <QCursor>
#include <QString>

// Reads a .cur (or .ico) file into a cursor, keeping its hot spot. Throws AppError when the file
// cannot be read or drawn.
QCursor LoadCursorFile(const QString& path);
