#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Windows cursor theme packs as people find them: an .inf in every encoding Windows authors
// write, with the mistakes real packs make, and 15 to 17 cursor files. Each pack comes with what
// a converter must report for it (expected.txt, TAB-separated):
//   pack     FOLDER  ARGUMENT  EXIT      ARGUMENT (the folder, or an .inf in it) goes to -theme
//   themes   FOLDER  COUNT               how many themes it makes
//   role     FOLDER  THEME  ROLE  FILE   FILE relative to the pack folder
//   missing  FOLDER  THEME  ROLE  NAME
//   failed   FOLDER  THEME  ROLE  FILE   the file is there but damaged
//   unset    FOLDER  THEME  ROLE
//   unmapped FOLDER  FILE
//   note     FOLDER  WORDS               words a note must contain
struct ThemePackFile
{
    std::string path; // relative to the folder of all packs, UTF-8
    std::vector<uint8_t> bytes;
};

struct ThemePacks
{
    std::vector<ThemePackFile> files;
    std::string expected;
};

ThemePacks MakeThemePacks();

// The cursor of role `role` (0 Arrow ... 16 Person, in the order of a scheme) in the colours of
// `tint`: an animation of four frames, or a still cursor.
std::vector<uint8_t> RoleAnimation(int role, int tint);
std::vector<uint8_t> RoleStill(int role, int tint);
