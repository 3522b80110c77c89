#include "apperror.h"
#include "baranimation.h"
#include "progressmath.h"

#include <gtest/gtest.h>
#include <vector>

TEST(RoundHalfEven, HalvesGoToTheEvenNeighbour)
{
    EXPECT_EQ(RoundHalfEven(2.5), 2);
    EXPECT_EQ(RoundHalfEven(3.5), 4);
    EXPECT_EQ(RoundHalfEven(0.5), 0);
    EXPECT_EQ(RoundHalfEven(63.333), 63);
    EXPECT_EQ(RoundHalfEven(66.667), 67);
    EXPECT_EQ(RoundHalfEven(-2.5), -2);
}

TEST(ProgressValue, ShareOfFilesDoneOnceThisOneIsDone)
{
    std::vector<int> four;
    for (int i = 1; i <= 4; ++i)
        four.push_back(ProgressValue(i, 4));
    EXPECT_EQ(four, (std::vector<int>{25, 50, 75, 100}));
    EXPECT_EQ(ProgressValue(1, 3), 33);
    EXPECT_EQ(ProgressValue(2, 3), 67);
    // Files added during a run can make the index pass the count read afresh.
    EXPECT_EQ(ProgressValue(5, 4), 100);
    // Files removed during a run: a count of 0 is reported like any failing statement.
    EXPECT_THROW(ProgressValue(1, 0), AppError);
}

TEST(CreepValue, MovesOnlyEveryHundredFiftyTicksFromTickFifty)
{
    EXPECT_FALSE(CreepValue(2, 1, 50));
    EXPECT_FALSE(CreepValue(2, 49, 50));
    EXPECT_EQ(CreepValue(2, 50, 50), 50);
    EXPECT_FALSE(CreepValue(2, 51, 50));
    EXPECT_FALSE(CreepValue(2, 199, 50));
    EXPECT_EQ(CreepValue(2, 200, 50), 55);
    EXPECT_EQ(CreepValue(2, 350, 50), 60);
}

// step = 100 / n / 10 and limit = base + 100 / n - step, both rounded halves to even; the value
// climbs by step every 150 ticks and stops at the limit.
TEST(CreepValue, StepAndLimitForEachRunSize)
{
    struct Row
    {
        int n;
        int base;
        long long step;
        long long limit;
    };
    const Row table[] = {
        {1, 100, 10, 190}, {2, 50, 5, 95},  {3, 33, 3, 63},
        {4, 25, 2, 48},    {10, 10, 1, 19}, {20, 5, 0, 10},
    };
    for (const Row& row : table) {
        SCOPED_TRACE(row.n);
        EXPECT_EQ(CreepValue(row.n, 50, row.base), row.base);
        EXPECT_EQ(CreepValue(row.n, 200, row.base), std::min(row.base + row.step, row.limit));
        // Far beyond the limit it stays there (or at the base when the step is 0).
        const long long top = row.step == 0 ? row.base : row.limit;
        EXPECT_EQ(CreepValue(row.n, 50 + 150 * 1000, row.base), top);
    }
}

TEST(ShownValue, ValuesBeyondTheBarShowAsFull)
{
    EXPECT_EQ(ShownValue(190), 100);
    EXPECT_EQ(ShownValue(100), 100);
    EXPECT_EQ(ShownValue(48), 48);
}

TEST(WaitText, CountsFromZeroAtTickFifty)
{
    EXPECT_EQ(WaitText(QStringLiteral("Processing: a.ani"), 50),
              QStringLiteral("Processing: a.ani, Please wait.. 0"));
    EXPECT_EQ(WaitText(QStringLiteral("Processing: a.ani"), 51),
              QStringLiteral("Processing: a.ani, Please wait.. 1"));
    EXPECT_EQ(WaitText(QString(), 60), QStringLiteral("Please wait.. 10"));
    EXPECT_EQ(FinalText(QString()), QStringLiteral("Progress Bar"));
    EXPECT_EQ(FinalText(QStringLiteral("Processing: a.ani")), QStringLiteral("Processing: a.ani"));
}

namespace {

struct Recorder : ProgressDisplay
{
    struct Change
    {
        int tick;
        QString text;
        int value = -1;
    };
    void setText(const QString& text) override { changes.push_back({tick, text}); }
    void setValue(int value) override { changes.push_back({tick, {}, value}); }
    int tick = 0;
    std::vector<Change> changes;
};

} // namespace

TEST(BarAnimation, QuietBeforeTickFiftyThenCountsAndCreeps)
{
    Recorder bar;
    BarAnimation animation(bar, QStringLiteral("Processing: a.ani"), 100, 1);
    for (bar.tick = 1; bar.tick <= 49; ++bar.tick)
        animation.tick();
    EXPECT_TRUE(bar.changes.empty());

    for (; bar.tick <= 360; ++bar.tick)
        animation.tick();
    std::vector<int> values;
    int texts = 0;
    for (const auto& change : bar.changes) {
        if (change.value >= 0) {
            values.push_back(change.value);
            EXPECT_TRUE(change.tick == 50 || change.tick == 200 || change.tick == 350);
        } else {
            EXPECT_EQ(change.text, WaitText(QStringLiteral("Processing: a.ani"), change.tick));
            ++texts;
        }
    }
    EXPECT_EQ(texts, 311);
    // One file: the creep passes 100, which the bar shows as full.
    EXPECT_EQ(values, (std::vector<int>{100, 100, 100}));

    animation.finish();
    EXPECT_EQ(bar.changes.back().text, QStringLiteral("Processing: a.ani"));
}

TEST(BarAnimation, CreepsWithinTheFileShare)
{
    Recorder bar;
    BarAnimation animation(bar, QString(), 25, 4);
    for (bar.tick = 1; bar.tick <= 50 + 150 * 20; ++bar.tick)
        animation.tick();
    std::vector<int> values;
    for (const auto& change : bar.changes) {
        if (change.value >= 0)
            values.push_back(change.value);
    }
    ASSERT_GE(values.size(), 13u);
    EXPECT_EQ(std::vector<int>(values.begin(), values.begin() + 13),
              (std::vector<int>{25, 27, 29, 31, 33, 35, 37, 39, 41, 43, 45, 47, 48}));
    EXPECT_EQ(values.back(), 48);
    EXPECT_EQ(bar.changes[0].text, QStringLiteral("Please wait.. 0"));
    animation.finish();
    EXPECT_EQ(bar.changes.back().text, QStringLiteral("Progress Bar"));
}
