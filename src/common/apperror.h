#pragma once

#include <QString>
#include <stdexcept>

// A failure of one of the program's own statements: a number and a description the user can act
// on. The numbers follow the classic run-time error numbers so reports stay recognisable.
class AppError : public std::runtime_error
{
public:
    AppError(int number, const QString& description)
        : std::runtime_error(description.toStdString()), number_(number), description_(description)
    {
    }

    int number() const { return number_; }
    const QString& description() const { return description_; }

    static AppError invalidArgument()
    {
        return {5, QStringLiteral("Invalid procedure call or argument")};
    }
    static AppError overflow() { return {6, QStringLiteral("Overflow")}; }
    static AppError typeMismatch() { return {13, QStringLiteral("Type mismatch")}; }
    static AppError fileNotFound(const QString& path)
    {
        return {53, QStringLiteral("File not found: %1").arg(path)};
    }
    static AppError permissionDenied(const QString& path)
    {
        return {70, QStringLiteral("Permission denied: %1").arg(path)};
    }
    static AppError pathNotFound(const QString& path)
    {
        return {76, QStringLiteral("Path not found: %1").arg(path)};
    }

private:
    int number_;
    QString description_;
};

namespace ErrorNumber {
inline constexpr int kInvalidArgument = 5;
inline constexpr int kOverflow = 6;
inline constexpr int kTypeMismatch = 13;
inline constexpr int kFileNotFound = 53;
inline constexpr int kPermissionDenied = 70;
inline constexpr int kPathNotFound = 76;
// The file dialog's chosen names did not fit its result buffer.
inline constexpr int kBufferTooSmall = 20476;
} // namespace ErrorNumber
