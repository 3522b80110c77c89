// A converter stopped while it writes leaves neither the output nor its temporary file.
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
