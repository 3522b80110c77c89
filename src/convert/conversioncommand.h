#pragma once

#include "paths.h"

#include <QString>
#include <QStringList>
#include <optional>

// Where results go: the two save options and the folder text, as read from the window.
struct SaveChoice
{
    bool toFolder = false;     // "Save results to this folder:"
    bool besideSource = false; // "Save results in folder of original file"
    QString folder;
    QString suffix = QStringLiteral(".jpg");
};

// The source's name without its last extension, then the suffix (".jpg" unless given).
QString OutputFileName(const QString& source, const PathStyle& style = kNativePaths,
                       const QString& suffix = QStringLiteral(".jpg"));

// The output path of one source, or nothing when neither save option is set. The folder option
// wins when both are set.
std::optional<QString> OutputPath(const SaveChoice& choice, const QString& source,
                                  const PathStyle& style = kNativePaths);

// The converter's arguments for one file: -q N -out jpeg -truecolors -o OUTPUT SOURCE.
QStringList ConverterArguments(int quality, const QString& output, const QString& source);
