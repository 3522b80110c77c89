#pragma once
// nconvert's exit codes: one per kind of failure, so a caller can tell them apart without
// reading the message. The window relies on these numbers; keep them stable.

namespace nconv {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1; // anything not listed below, such as running out of memory
inline constexpr int kExitUsage = 2;
inline constexpr int kExitOutputExists = 3;
inline constexpr int kExitDamaged = 4;
inline constexpr int kExitUnsupported = 5; // not a kind of file we read, or a feature we do not
inline constexpr int kExitTooLarge = 6;
inline constexpr int kExitCannotRead = 7;
inline constexpr int kExitCannotWrite = 8;

} // namespace nconv
