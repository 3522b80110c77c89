// Writing the output on Windows: names up to the system's limit, and nothing left behind by a
// converter stopped while it writes.
#include "exitcodes.h"
#include "fixtures.h"
#include "programcheck.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

bool anyTemporaryIn(const std::string& folder)
{
    WIN32_FIND_DATAW data;
    const HANDLE find = ::FindFirstFileW((widen(folder) + L"\\~nconvert-*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return false;
    ::FindClose(find);
    return true;
}

} // namespace

TEST(KilledConverter, LeavesNoFileBehind)
{
    TestFolder folder;
    // A large picture, so that writing it takes long enough to be caught in the act.
    testimg::DibSpec big;
    big.width = big.height = 5000;
    big.bitCount = 1;
    big.palette = {0x000000, 0xFFFFFF};
    big.pixels.assign(static_cast<std::size_t>(big.width) * big.height, 1);
    const std::string src = folder.write("big.bmp", testimg::bmpFile(big));
    const std::string out = folder / "big-out.bmp";
    std::wstring line = quoted(widen(kProgram));
    for (const std::string& a :
         {std::string("-out"), std::string("bmp"), std::string("-o"), out, src})
        line += L' ' + quoted(widen(a));

    for (int attempt = 0; attempt < 5; ++attempt) {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        ASSERT_TRUE(::CreateProcessW(widen(kProgram).c_str(), line.data(), nullptr, nullptr, FALSE,
                                     0, nullptr, nullptr, &startup, &process));
        bool caught = false;
        while (::WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT) {
            if (anyTemporaryIn(utf8Of(folder.path()))) {
                caught = ::TerminateProcess(process.hProcess, 1) != 0;
                break;
            }
        }
        ::WaitForSingleObject(process.hProcess, INFINITE);
        ::CloseHandle(process.hProcess);
        ::CloseHandle(process.hThread);
        // Stopped before the move, or just after it: never a temporary file left over.
        EXPECT_FALSE(anyTemporaryIn(utf8Of(folder.path())));
        if (caught && !std::filesystem::exists(fsPath(out))) {
            EXPECT_EQ(folder.files(), std::vector<std::string>{"big.bmp"});
            return;
        }
        std::filesystem::remove(fsPath(out));
    }
    GTEST_SKIP() << "the converter always finished before it could be stopped";
}

// The temporary name beside the output is short, so any name the system accepts can be written.
TEST(OutputName, NamesUpToTheSystemLimitAreWrittenAndLongerOnesRefused)
{
    TestFolder folder;
    const std::string src = folder.write("a.cur", testimg::tinyCursor(0x0000FF));
    std::string cjk;
    for (int i = 0; i < 251; ++i)
        cjk += "\xE6\x97\xA5"; // one UTF-16 unit each
    for (const std::string& name : {std::string(251, 'n') + ".jpg", cjk + ".jpg"}) {
        const std::vector<std::string> args = {"-out", "jpeg", "-o", folder / name, src};
        EXPECT_EQ(runChild(kProgram, args).exitCode, 0) << name.size();
        std::vector<std::string> again = args;
        again.insert(again.begin(), "-overwrite");
        const ChildResult replaced = runChild(kProgram, again);
        EXPECT_EQ(replaced.exitCode, 0) << replaced.err;
        std::filesystem::remove(fsPath(folder / name));
    }
    const ChildResult tooLong =
        runChild(kProgram, {"-out", "jpeg", "-o", folder / (std::string(252, 'n') + ".jpg"), src});
    EXPECT_EQ(tooLong.exitCode, nconv::kExitCannotWrite);
    EXPECT_EQ(lineCount(tooLong.err), 1u) << tooLong.err;
    EXPECT_EQ(folder.files(), std::vector<std::string>{"a.cur"});
}
