// A theme folder written with our Xcursor writer, read back as the preview shows it.
#include "themepreview.h"
#include "xcursor.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <random>

namespace fs = std::filesystem;
using ctheme::CursorRole;

namespace {

nconv::Image image(std::uint32_t side, std::uint8_t red, int hotX, int hotY)
{
    nconv::Image i;
    i.width = i.height = side;
    i.rgba.assign(std::size_t{side} * side * 4, 0);
    for (std::size_t p = 0; p < i.rgba.size(); p += 4) {
        i.rgba[p] = red;
        i.rgba[p + 3] = 255;
    }
    i.hotSpot = nconv::HotSpot{hotX, hotY};
    return i;
}

void write(const fs::path& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

class ThemePreview : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::random_device random;
        folder = fs::temp_directory_path() / ("themepreview-" + std::to_string(random()));
        fs::create_directories(folder / "cursors");
    }
    void TearDown() override { fs::remove_all(folder); }

    fs::path folder;
};

} // namespace

TEST_F(ThemePreview, ShowsEveryRoleWithItsStepsDelaysAndHotSpots)
{
    std::ofstream(folder / "index.theme") << "[Icon Theme]\nName= Neon (2) \nInherits=Adwaita\n";
    // The arrow: three steps at 32 and the same at 64; the preview takes the size nearest 48
    // (the smaller, when two are as near).
    const nconv::Image a = image(32, 10, 1, 2), b = image(32, 20, 3, 4), c = image(32, 30, 5, 6);
    const nconv::Image big = image(64, 99, 2, 4);
    const std::vector<nconv::XcursorChunk> arrow = {{32, 100, &a},   {32, 0, &b},   {32, 50, &c},
                                                    {64, 100, &big}, {64, 0, &big}, {64, 50, &big}};
    write(folder / "cursors" / "default", nconv::encodeXcursor(arrow));
    const nconv::Image still = image(48, 7, 9, 9);
    write(folder / "cursors" / "help",
          nconv::encodeXcursor(std::vector<nconv::XcursorChunk>{{48, 0, &still}}));
    write(folder / "cursors" / "wait", {'X', 'c', 'u', 'r', 1, 2});

    const themepreview::ThemePreview theme = themepreview::readThemePreview(folder, 48);
    EXPECT_EQ(theme.name, "Neon (2)");
    ASSERT_EQ(theme.roles.size(), ctheme::kRoleCount);
    EXPECT_EQ(theme.roles[1].role, CursorRole::Help);
    EXPECT_EQ(theme.roles[0].label, "Normal Select");
    EXPECT_EQ(theme.roles[0].cursor, "default");

    const themepreview::RoleCursor& pointer = theme.roles[0];
    ASSERT_EQ(pointer.steps.size(), 3u);
    EXPECT_EQ(pointer.steps[1].image.rgba[0], 20);
    EXPECT_EQ(pointer.steps[2].image.hotSpot->x, 5);
    EXPECT_EQ(pointer.steps[2].image.hotSpot->y, 6);
    // A step of no time lasts 1 ms; the animation loops.
    EXPECT_EQ(pointer.duration(), 151u);
    const std::vector<std::pair<std::uint64_t, std::size_t>> shown = {
        {0, 0}, {99, 0}, {100, 1}, {101, 2}, {150, 2}, {151, 0}, {151 * 1000 + 100, 1}};
    for (const auto& [elapsed, step] : shown)
        EXPECT_EQ(pointer.stepAt(elapsed), step) << elapsed;

    EXPECT_EQ(theme.roles[1].steps.size(), 1u);
    EXPECT_EQ(theme.roles[1].stepAt(12345), 0u);
    // A damaged file and a missing one leave their roles empty, each with its reason.
    const themepreview::RoleCursor& wait = theme.roles[static_cast<int>(CursorRole::Wait)];
    EXPECT_TRUE(wait.steps.empty());
    EXPECT_NE(wait.problem.find("damaged"), std::string::npos) << wait.problem;
    const themepreview::RoleCursor& hand = theme.roles[static_cast<int>(CursorRole::Hand)];
    EXPECT_EQ(hand.cursor, "pointer");
    EXPECT_NE(hand.problem.find("not in this theme"), std::string::npos);
}

TEST_F(ThemePreview, AFolderWithoutAThemeIsRefused)
{
    EXPECT_THROW(themepreview::readThemePreview(folder, 48), std::runtime_error);
    std::ofstream(folder / "index.theme") << "[Icon Theme]\n";
    // Without a name, the folder's.
    EXPECT_EQ(themepreview::readThemePreview(folder, 48).name, folder.filename().string());
}
