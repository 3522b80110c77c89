#pragma once

#include <QString>
#include <cstdint>
#include <optional>

// File attribute bits with their Windows values, so one set of rules serves every platform.
namespace FileAttribute {
inline constexpr std::uint32_t kReadOnly = 1;
inline constexpr std::uint32_t kHidden = 2;
inline constexpr std::uint32_t kSystem = 4;
inline constexpr std::uint32_t kDirectory = 16;
inline constexpr std::uint32_t kArchive = 32;
inline constexpr std::uint32_t kReparsePoint = 1024;
} // namespace FileAttribute

// The attribute value of a path, or nothing when it cannot be read. On POSIX: directory, read-only
// (no write permission for the owner), hidden for names beginning with ".", reparse point for
// symbolic links; there are no system or archive bits.
std::optional<std::uint32_t> FileAttributes(const QString& path);
