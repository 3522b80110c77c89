#pragma once
// nconvert -theme INF_OR_FOLDER [-sizes LIST] [-o OUTDIR] [--install]
//
// Makes a Linux cursor theme of every scheme a Windows theme pack installs and reports, on
// standard output, one line per fact, fields separated by a TAB (paths and names with their
// control characters, TAB included, shown as '?'):
//
//   source   PATH  inf  ENCODING       an .inf that was read, and the encoding of its text
//   source   PATH  names               a folder whose cursors were taken by their file names
//   theme    FOLDER  NAME  SOURCE      a theme written: its folder, its name as desktops list it
//                                     ("Name (2)" when numbered), the .inf or folder it came from
//   skipped  NAME  SOURCE  REASON      a scheme no theme could be made of
//   role     ROLE  FILE  CURSOR        ROLE (Arrow, Help ...) is FILE, written as cursors/CURSOR
//   missing  ROLE  NAME                the .inf names a file that is not in the pack
//   unset    ROLE                      nothing is given for the role (the inherited theme's shows)
//   failed   ROLE  FILE  REASON        the file is there but cannot be converted
//   installed  FOLDER                  the theme was also installed there
//   linked   LINK                      and LINK in ~/.icons leads to it, for libXcursor builds that
//                                     read no other folder of the user's (Debian's)
//   unmapped FILE                      a cursor file of the pack that no theme uses
//   note     TEXT                      anything else worth telling
//
// The source lines come first, then per scheme a theme (or skipped) line followed by its 17 role
// lines in the order of the roles and its installed (and linked) line, then the unmapped files,
// then the notes. The exit status is 0 when a theme was written (missing, unset and failed roles
// are reported, not failures); otherwise the exit code of the failure, with one line on stderr.
#include "commandline.h"

#include <cstdio>

namespace nconv {

// Refuses what does not go with -theme (or --install without it). Throws UsageError.
void checkThemeOptions(const Options& options, bool haveFormat, bool haveSource);

int runThemeCommand(const Options& options, std::FILE* out, std::FILE* err);

} // namespace nconv
