#include "fileattributes.h"

#include <windows.h>

std::optional<std::uint32_t> FileAttributes(const QString& path)
{
    if (path.isEmpty())
        return std::nullopt;
    const DWORD value = ::GetFileAttributesW(reinterpret_cast<const wchar_t*>(path.utf16()));
    if (value == INVALID_FILE_ATTRIBUTES)
        return std::nullopt;
    return static_cast<std::uint32_t>(value);
}
