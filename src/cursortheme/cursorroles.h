#pragma once
// The cursors a Windows scheme holds, by role, and the names Linux programs look each one up by.
#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace ctheme {

// In the order of the positions of a scheme's value in the registry, which is how Windows reads
// a scheme: the first file is the arrow, the second help, and so on.
enum class CursorRole {
    Arrow,
    Help,
    AppStarting,
    Wait,
    Crosshair,
    IBeam,
    NWPen,
    No,
    SizeNS,
    SizeWE,
    SizeNWSE,
    SizeNESW,
    SizeAll,
    UpArrow,
    Hand,
    Pin,
    Person,
};
inline constexpr std::size_t kRoleCount = 17;

struct RoleInfo
{
    CursorRole role;
    std::string_view registryName; // the value name under HKCU\Control Panel\Cursors
    std::string_view label;        // what the Windows mouse settings call it
    // The names Linux programs ask for, the file's own name first; the others become links.
    std::span<const std::string_view> linuxNames;
};

const std::array<RoleInfo, kRoleCount>& roleTable();
const RoleInfo& roleInfo(CursorRole role);
std::string_view roleName(CursorRole role); // the registry name, as reports show it

// A role from its registry value name ("Arrow", "sizenwse"), case ignored.
std::optional<CursorRole> roleFromRegistryName(std::string_view name);

// A role from a cursor file's name, for packs without an .inf: the registry names and the names
// packs commonly use ("Normal Select.ani", "busy.ani", "03_working.cur"). Case, spaces, dashes,
// underscores and a leading number are ignored; anything else must match whole, so a file is
// never given a role it might not have.
std::optional<CursorRole> roleFromFileName(std::string_view fileName);

} // namespace ctheme
