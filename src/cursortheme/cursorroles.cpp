#include "cursorroles.h"

#include <algorithm>

namespace ctheme {
namespace {

// The Linux names of each role are those Debian's cursor themes give the same drawing, read from
// the file names (and symbolic links) they install under /usr/share/icons/*/cursors:
//   A  adwaita-icon-theme 43      (Adwaita)
//   D  dmz-cursor-theme 0.4.5     (DMZ-White, DMZ-Black)
//   B  breeze-cursor-theme 5.27   (breeze_cursors)
// The CSS names (default, help, progress ...) are what GTK, Firefox, Chromium and Electron ask
// for; the X11 core names (left_ptr, watch, xterm ...) what X programs and Qt ask for; the
// 32-digit hexadecimal names are the hashes of the core cursors' bitmaps that Qt and older
// toolkits look up. The letters after each name say which themes ship it.

constexpr std::string_view kArrow[] = {
    "default",        // A B
    "left_ptr",       // A D B
    "arrow",          // A D B
    "top_left_arrow", // A D B
};
constexpr std::string_view kHelp[] = {
    "help",                             // A D B
    "question_arrow",                   // A D B
    "left_ptr_help",                    // A D B
    "whats_this",                       // B
    "5c6cd98b3f3ebcb1f9c7f1c204630408", // A D B
    "d9ce0ab605698f320427677b458ad60b", // A D B
};
constexpr std::string_view kAppStarting[] = {
    "progress",                         // A B
    "left_ptr_watch",                   // A D B
    "half-busy",                        // B
    "08e8e1c95fe2fc01f976f1e063a24ccd", // A D B
    "3ecb610c1bf2410f44200f48c40d3599", // A D B
    "00000000000000020006000e7e9ffc3f", // B
};
constexpr std::string_view kWait[] = {
    "wait",  // A B
    "watch", // A D B
};
// A and D draw tcross apart (a thinner cross); B links it here. Windows has one precision cross.
constexpr std::string_view kCrosshair[] = {
    "crosshair",     // A D B
    "cross",         // A D B
    "tcross",        // A D B
    "cross_reverse", // A D
    "diamond_cross", // A D
};
constexpr std::string_view kIBeam[] = {
    "text",  // A B
    "xterm", // A D B
    "ibeam", // B
};
constexpr std::string_view kNWPen[] = {
    "pencil", // A D B
};
// A refused drop: Windows shows the same "unavailable" cursor while dragging, so the drop names
// (A and B draw an arrow with a small sign there) take this one too.
constexpr std::string_view kNo[] = {
    "not-allowed",                      // A B
    "crossed_circle",                   // A D B
    "circle",                           // A D B
    "03b6e0fcb3499374a867c041f52298f0", // A D B
    "no-drop",                          // A B
    "dnd-no-drop",                      // A B
    "forbidden",                        // B
};
// Windows resizes at an edge with the same double arrow as across it, so the one-way edge names
// (n-resize, top_side ...) take the double arrow of their axis, as B links them; so do the
// splitter names (row-resize, split_v), which A links the same way.
constexpr std::string_view kSizeNS[] = {
    "ns-resize",                        // A B
    "sb_v_double_arrow",                // A D B
    "v_double_arrow",                   // A D B
    "double_arrow",                     // A D
    "size_ver",                         // A B
    "size-ver",                         // B
    "row-resize",                       // A B
    "split_v",                          // B
    "n-resize",                         // A B
    "s-resize",                         // A B
    "top_side",                         // A D B
    "bottom_side",                      // A D B
    "00008160000006810000408080010102", // A D B
    "2870a09082c103050810ffdffffe0204", // A D
};
constexpr std::string_view kSizeWE[] = {
    "ew-resize",                        // A B
    "sb_h_double_arrow",                // A D B
    "h_double_arrow",                   // A D B
    "size_hor",                         // A B
    "size-hor",                         // B
    "col-resize",                       // A B
    "split_h",                          // B
    "e-resize",                         // A B
    "w-resize",                         // A B
    "left_side",                        // A D B
    "right_side",                       // A D B
    "028006030e0e7ebffc7f7070c0600140", // A D
    "14fef782d02440884392942c11205230", // A D
};
constexpr std::string_view kSizeNWSE[] = {
    "nwse-resize",                      // A B
    "bd_double_arrow",                  // A D
    "size_fdiag",                       // A B
    "size-fdiag",                       // B
    "nw-resize",                        // A B
    "se-resize",                        // A B
    "top_left_corner",                  // A D B
    "bottom_right_corner",              // A D B
    "c7088f0f3e6c8088236ef8e1e3e70000", // A D
};
constexpr std::string_view kSizeNESW[] = {
    "nesw-resize",                      // A B
    "fd_double_arrow",                  // A D
    "size_bdiag",                       // A B
    "size-bdiag",                       // B
    "ne-resize",                        // A B
    "sw-resize",                        // A B
    "top_right_corner",                 // A D B
    "bottom_left_corner",               // A D B
    "fcf1c3c7cd4491d801f1e1c78f100000", // A D
};
// Windows' four-way arrow. CSS "move" is drawn with it by browsers on Windows, so it comes here;
// the drag-and-drop names (dnd-move, and the hashes Qt asks for while dragging, which A links
// to its "move") stay with the inherited theme, as Windows drags with an arrow. "grabbing" (D
// draws fleur as a closed hand) is a hand, not this arrow.
constexpr std::string_view kSizeAll[] = {
    "all-scroll", // A B
    "fleur",      // A D B
    "size_all",   // A B
    "move",       // A D B
};
constexpr std::string_view kUpArrow[] = {
    "up-arrow",    // B
    "center_ptr",  // B
    "sb_up_arrow", // A D
};
// A gives hand1 the open hand of "grab"; D and B link it to the pointing hand, as here.
constexpr std::string_view kHand[] = {
    "pointer",                          // A B
    "hand2",                            // A D B
    "hand",                             // A D
    "hand1",                            // A D B
    "pointing_hand",                    // B
    "9d800788f1b08800ae810202380a0822", // A D B
    "e29285e634086352946a0e7090d73106", // A D B
};
// Windows 10's location and person cursors have no Linux counterpart and no program asks for
// them; they are kept under names of their own so the theme holds the whole scheme.
constexpr std::string_view kPin[] = {"pin"};
constexpr std::string_view kPerson[] = {"person"};

const std::array<RoleInfo, kRoleCount> kRoles = {{
    {CursorRole::Arrow, "Arrow", "Normal Select", kArrow},
    {CursorRole::Help, "Help", "Help Select", kHelp},
    {CursorRole::AppStarting, "AppStarting", "Working in Background", kAppStarting},
    {CursorRole::Wait, "Wait", "Busy", kWait},
    {CursorRole::Crosshair, "Crosshair", "Precision Select", kCrosshair},
    {CursorRole::IBeam, "IBeam", "Text Select", kIBeam},
    {CursorRole::NWPen, "NWPen", "Handwriting", kNWPen},
    {CursorRole::No, "No", "Unavailable", kNo},
    {CursorRole::SizeNS, "SizeNS", "Vertical Resize", kSizeNS},
    {CursorRole::SizeWE, "SizeWE", "Horizontal Resize", kSizeWE},
    {CursorRole::SizeNWSE, "SizeNWSE", "Diagonal Resize 1", kSizeNWSE},
    {CursorRole::SizeNESW, "SizeNESW", "Diagonal Resize 2", kSizeNESW},
    {CursorRole::SizeAll, "SizeAll", "Move", kSizeAll},
    {CursorRole::UpArrow, "UpArrow", "Alternate Select", kUpArrow},
    {CursorRole::Hand, "Hand", "Link Select", kHand},
    {CursorRole::Pin, "Pin", "Location Select", kPin},
    {CursorRole::Person, "Person", "Person Select", kPerson},
}};

// File names packs use, as folded by foldFileName: the registry name first, then the Windows
// label, then common names.
struct FileNames
{
    CursorRole role;
    std::initializer_list<std::string_view> names;
};
const FileNames kFileNames[] = {
    {CursorRole::Arrow, {"arrow", "normalselect", "normal", "pointer", "default", "leftptr"}},
    {CursorRole::Help, {"help", "helpselect", "question", "questionarrow"}},
    {CursorRole::AppStarting,
     {"appstarting", "workinginbackground", "working", "work", "background", "progress", "halfbusy",
      "leftptrwatch"}},
    {CursorRole::Wait, {"wait", "busy", "watch"}},
    {CursorRole::Crosshair, {"crosshair", "precisionselect", "precision", "cross"}},
    {CursorRole::IBeam, {"ibeam", "textselect", "text", "beam", "xterm"}},
    {CursorRole::NWPen, {"nwpen", "handwriting", "pen", "pencil"}},
    {CursorRole::No, {"no", "unavailable", "unavailiable", "notallowed", "forbidden"}},
    {CursorRole::SizeNS, {"sizens", "verticalresize", "vertical", "vert", "nsresize"}},
    {CursorRole::SizeWE, {"sizewe", "horizontalresize", "horizontal", "horz", "horiz", "ewresize"}},
    {CursorRole::SizeNWSE,
     {"sizenwse", "diagonalresize1", "diagonal1", "dgn1", "diag1", "nwseresize"}},
    {CursorRole::SizeNESW,
     {"sizenesw", "diagonalresize2", "diagonal2", "dgn2", "diag2", "neswresize"}},
    {CursorRole::SizeAll, {"sizeall", "move", "allscroll", "fleur"}},
    {CursorRole::UpArrow, {"uparrow", "alternateselect", "alternate", "alt"}},
    {CursorRole::Hand, {"hand", "linkselect", "link"}},
    {CursorRole::Pin, {"pin", "locationselect", "location"}},
    {CursorRole::Person, {"person", "personselect"}},
};

char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Letters and digits only, lower case, without a leading number ("03 - Normal_Select").
std::string foldFileName(std::string_view stem)
{
    std::string folded;
    for (char c : stem) {
        const char l = lower(c);
        if ((l >= 'a' && l <= 'z') || (l >= '0' && l <= '9'))
            folded += l;
    }
    const std::size_t letters = folded.find_first_not_of("0123456789");
    return letters == std::string::npos ? std::string() : folded.substr(letters);
}

} // namespace

const std::array<RoleInfo, kRoleCount>& roleTable()
{
    return kRoles;
}

const RoleInfo& roleInfo(CursorRole role)
{
    return kRoles[static_cast<std::size_t>(role)];
}

std::string_view roleName(CursorRole role)
{
    return roleInfo(role).registryName;
}

std::optional<CursorRole> roleFromRegistryName(std::string_view name)
{
    for (const RoleInfo& info : kRoles)
        if (std::equal(name.begin(), name.end(), info.registryName.begin(), info.registryName.end(),
                       [](char a, char b) { return lower(a) == lower(b); }))
            return info.role;
    return std::nullopt;
}

std::optional<CursorRole> roleFromFileName(std::string_view fileName)
{
    const std::size_t slash = fileName.find_last_of("/\\");
    if (slash != std::string_view::npos)
        fileName.remove_prefix(slash + 1);
    const std::size_t dot = fileName.find_last_of('.');
    const std::string folded = foldFileName(
        dot == std::string_view::npos || dot == 0 ? fileName : fileName.substr(0, dot));
    for (const FileNames& entry : kFileNames)
        for (std::string_view name : entry.names)
            if (folded == name)
                return entry.role;
    return std::nullopt;
}

} // namespace ctheme
