#pragma once
// A fresh folder per test, removed with everything in it afterwards; files written as UTF-8 paths.
#include "themepack.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

class ScratchFolder
{
public:
    ScratchFolder()
    {
        std::random_device random;
        do
            path_ = std::filesystem::temp_directory_path() /
                    ("cursortheme-test-" + std::to_string(random()));
        while (!std::filesystem::create_directory(path_));
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& utf8) const
    {
        return path_ / ctheme::pathFromUtf8(utf8);
    }

    std::filesystem::path write(const std::string& utf8, const std::string& bytes) const
    {
        const std::filesystem::path file = *this / utf8;
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << bytes;
        return file;
    }

    static std::string read(const std::filesystem::path& file)
    {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

private:
    std::filesystem::path path_;
};
