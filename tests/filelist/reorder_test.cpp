#include "listreorder.h"

#include <gtest/gtest.h>

namespace {

TEST(SwapRule, OnlyTwoExistingItemsWithDifferentTextsSwap)
{
    EXPECT_TRUE(ShouldSwapTexts(QString("C:\\a.ani"), QString("C:\\b.ani")));
    EXPECT_TRUE(ShouldSwapTexts(QString("C:\\a.ani"), QString("C:\\A.ani")));
    EXPECT_FALSE(ShouldSwapTexts(QString("C:\\a.ani"), QString("C:\\a.ani")));
    EXPECT_FALSE(ShouldSwapTexts(std::nullopt, QString("C:\\b.ani")));
    EXPECT_FALSE(ShouldSwapTexts(QString("C:\\a.ani"), std::nullopt));
    EXPECT_TRUE(ShouldSwapTexts(QString(""), QString("C:\\b.ani")));
}

TEST(ScrollBand, OneRowHeightAtEachEdgeOfTheVisibleArea)
{
    // 200 pixels high, rows of 20.
    EXPECT_EQ(ScrollBandAt(-5, 200, 20), ScrollBand::Top);
    EXPECT_EQ(ScrollBandAt(0, 200, 20), ScrollBand::Top);
    EXPECT_EQ(ScrollBandAt(19, 200, 20), ScrollBand::Top);
    EXPECT_EQ(ScrollBandAt(20, 200, 20), ScrollBand::None);
    EXPECT_EQ(ScrollBandAt(179, 200, 20), ScrollBand::None);
    EXPECT_EQ(ScrollBandAt(180, 200, 20), ScrollBand::Bottom);
    EXPECT_EQ(ScrollBandAt(199, 200, 20), ScrollBand::Bottom);
    EXPECT_EQ(ScrollBandAt(250, 200, 20), ScrollBand::Bottom);
}

TEST(ScrollBand, OverlappingBandsFavourTheTop)
{
    EXPECT_EQ(ScrollBandAt(10, 30, 20), ScrollBand::Top);
    EXPECT_EQ(ScrollBandAt(25, 30, 20), ScrollBand::Bottom);
    EXPECT_EQ(ScrollBandAt(0, 0, 0), ScrollBand::Top);
}

TEST(RowToReveal, TheNeighbourOnTheSideOfTheBandWhenThereIsOne)
{
    EXPECT_EQ(RowToReveal(5, 10, ScrollBand::Top), 4);
    EXPECT_EQ(RowToReveal(5, 10, ScrollBand::Bottom), 6);
    EXPECT_EQ(RowToReveal(5, 10, ScrollBand::None), 0);
    EXPECT_EQ(RowToReveal(1, 10, ScrollBand::Top), 0);
    EXPECT_EQ(RowToReveal(10, 10, ScrollBand::Bottom), 0);
    EXPECT_EQ(RowToReveal(9, 10, ScrollBand::Bottom), 10);
    EXPECT_EQ(RowToReveal(0, 10, ScrollBand::Bottom), 0);
    EXPECT_EQ(RowToReveal(11, 10, ScrollBand::Top), 0);
}

} // namespace
