#pragma once
// Text for a Windows console.

namespace nconv {

// The converter writes UTF-8 to stdout and stderr. A Windows console shows bytes in its own code
// page, so names outside ASCII come out garbled; a stream that is a console is therefore relayed
// through a pipe and written as wide text. Streams that are files or pipes (the window reads a
// pipe) are left alone, and so is everything on other systems.
#ifdef _WIN32
void writeConsolesAsWideText();
#else
inline void writeConsolesAsWideText() {}
#endif

} // namespace nconv
