#pragma once
// A fresh temporary folder per test, removed with everything in it afterwards.
#include "builders.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

// Paths are UTF-8 text on every platform.
inline std::filesystem::path fsPath(const std::string& utf8)
{
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string utf8Of(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

// The form of a path the file calls take at any length ("\\\\?\\" on Windows).
inline std::filesystem::path systemForm(const std::string& utf8)
{
#ifdef _WIN32
    return fsPath("\\\\?\\" + utf8Of(std::filesystem::absolute(fsPath(utf8)).make_preferred()));
#else
    return fsPath(utf8);
#endif
}

class TestFolder
{
public:
    TestFolder()
    {
        const auto base = std::filesystem::temp_directory_path();
        std::random_device random;
        do
            path_ = base / ("nconvert-test-" + std::to_string(random()));
        while (!std::filesystem::create_directory(path_));
    }
    ~TestFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    std::string operator/(const std::string& name) const { return utf8Of(path_ / fsPath(name)); }
    const std::filesystem::path& path() const { return path_; }

    std::string write(const std::string& name, const testimg::Buf& bytes) const
    {
        const std::string full = *this / name;
        std::filesystem::create_directories(fsPath(full).parent_path());
        std::ofstream out(fsPath(full), std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        return full;
    }

    static testimg::Buf read(const std::string& path)
    {
        std::ifstream in(fsPath(path), std::ios::binary);
        return testimg::Buf(std::istreambuf_iterator<char>(in), {});
    }

    // Every file name in the folder tree, for checking that nothing was left behind.
    std::vector<std::string> files() const
    {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::recursive_directory_iterator(path_))
            if (!e.is_directory())
                names.push_back(utf8Of(std::filesystem::relative(e.path(), path_)));
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::filesystem::path path_;
};
