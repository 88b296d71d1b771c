#include "ui/main/BoardLayout.h"

#include <gtest/gtest.h>

using namespace BoardLayout;

namespace {

TEST(BoardLayout, StoredSizeIsReadWithAFallbackForEachSide) {
    const struct {
        const char *height, *width;
        OuterSize expected;
    } cases[] = {{"", "", {5535, 6720}},
                 {"7200", "6000", {6000, 7200}},
                 {"abc", "1e4", {5535, 6720}},
                 {"7000.6", "0x1800", {5535, 7001}}};
    for (const auto& c : cases)
        EXPECT_EQ(RestoredOuterSize(c.height, c.width), c.expected) << c.height << " x " << c.width;
}

TEST(BoardLayout, ScrollBarAndRowPositions) {
    // Eight rows fill a 2040-twip board; a board scrolled away from its top keeps the bar.
    EXPECT_FALSE(ScrollBarShown(2040, 8, 0));
    EXPECT_TRUE(ScrollBarShown(2040, 9, 0));
    EXPECT_TRUE(ScrollBarShown(2040, 1, RowParkedAfterScroll));

    // A rebuild places rows up to 128; a scroll to `value` shows rows from there, 130 services
    // bring row 129 into reach from value 2, and the maximum (N + 2) parks every row.
    EXPECT_EQ(RebuildRowTop(128), 32640);
    EXPECT_EQ(RebuildRowTop(129), RowParkedAfterRebuild);
    const struct {
        int row, value;
        double top;
    } tops[] = {{3, 3, 34.819},
                {2, 3, -512},
                {4, 3, 255 + 34.819},
                {129, 1, -512},
                {129, 2, 127 * 255 + 34.819},
                {129, 129, 34.819},
                {0, 132, -512},
                {129, 132, -512}};
    for (const auto& c : tops)
        EXPECT_DOUBLE_EQ(ScrolledRowTop(c.row, c.value), c.top) << c.row << " at " << c.value;
}

TEST(BoardLayout, ArrangeSnapsToTheMinimumAndEndsTheRowsAtTheScrollBar) {
    const WindowLayout snapped = ArrangeLayout({4000, 5000}, 40, 0);
    EXPECT_EQ(snapped.size, (OuterSize{5535, 6720}));
    EXPECT_EQ(snapped.cmdStatusTop, 4920);
    ASSERT_TRUE(snapped.scrollBarVisible);
    EXPECT_EQ(snapped.timeLeft + snapped.timeWidth, snapped.VScroll1.left);
}

} // namespace
