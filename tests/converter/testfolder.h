#pragma once
// A fresh temporary folder per test, removed with everything in it afterwards.
#include "builders.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

class TestFolder
{
public:
    TestFolder()
    {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "nconvert-test-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
    }
    ~TestFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    std::string operator/(const std::string& name) const { return (path_ / name).string(); }
    const std::filesystem::path& path() const { return path_; }

    std::string write(const std::string& name, const testimg::Buf& bytes) const
    {
        const std::string full = *this / name;
        std::filesystem::create_directories(std::filesystem::path(full).parent_path());
        std::ofstream out(full, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        return full;
    }

    static testimg::Buf read(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return testimg::Buf(std::istreambuf_iterator<char>(in), {});
    }

    // Every file name in the folder tree, for checking that nothing was left behind.
    std::vector<std::string> files() const
    {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::recursive_directory_iterator(path_))
            if (!e.is_directory())
                names.push_back(std::filesystem::relative(e.path(), path_).string());
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::filesystem::path path_;
};
