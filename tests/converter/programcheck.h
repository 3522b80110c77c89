#pragma once
// Runs the built nconvert the way the window does and checks how it refuses a file.
#include "childprocess.h"
#include "exitcodes.h"
#include "testfolder.h"

#include <algorithm>
#include <gtest/gtest.h>

inline const std::string kProgram = NCONVERT_PATH;

// The exact command the window runs.
inline ChildResult windowCommand(const std::string& quality, const std::string& output,
                                 const std::string& source)
{
    return runChild(kProgram, {"-q", quality, "-out", "jpeg", "-truecolors", "-o", output, source});
}

inline std::size_t lineCount(const std::string& text)
{
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// A refused source: the exit code of its kind of failure (no crash, no sanitizer report), exactly
// one stderr line naming the source and the problem, and nothing written: no output and no
// temporary file.
inline void expectProgramRefuses(const testimg::Buf& source, const std::string& words, int exitCode)
{
    TestFolder folder;
    const std::string src = folder.write("in.ani", source);
    const ChildResult r = windowCommand("80", folder / "out.jpg", src);
    EXPECT_EQ(r.exitCode, exitCode) << r.err;
    EXPECT_EQ(lineCount(r.err), 1u) << r.err;
    EXPECT_NE(r.err.find(src), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(words), std::string::npos) << r.err;
    EXPECT_EQ(folder.files(), std::vector<std::string>{"in.ani"});
}
