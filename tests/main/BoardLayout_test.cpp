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

TEST(BoardLayout, ArrangeSnapsToTheMinimumAndMakesRoomForTheTimeBesideTheScrollBar) {
    const WindowLayout snapped = ArrangeLayout({4000, 5000});
    EXPECT_EQ(snapped.size, (OuterSize{5535, 6720}));
    EXPECT_EQ(snapped.cmdStatusTop, 4920);
    EXPECT_EQ(snapped.lightLeft, 3960);
    // A time text wider than the room right of the light moves the light left by the difference.
    const double room = snapped.boardInnerWidth - 3960 - ScrollBarWidth - LightSize;
    EXPECT_EQ(ArrangeLayout({5535, 6720}, room + 100).lightLeft, 3860);
}

} // namespace
