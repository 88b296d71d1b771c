#include "ui/main/BoardLayout.h"

#include <gtest/gtest.h>

using namespace BoardLayout;

namespace {

struct StoredSizeCase {
    const char* height;
    const char* width;
    OuterSize expected;
};

class RestoredSize : public ::testing::TestWithParam<StoredSizeCase> {};

TEST_P(RestoredSize, ReadsHeightAndWidthWithFallbacks) {
    const StoredSizeCase& c = GetParam();
    EXPECT_EQ(RestoredOuterSize(QString::fromLatin1(c.height), QString::fromLatin1(c.width)), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Stored, RestoredSize,
                         ::testing::Values(StoredSizeCase{"", "", {5535, 6720}},
                                           StoredSizeCase{"7200", "6000", {6000, 7200}},
                                           StoredSizeCase{" 8000 ", "", {5535, 8000}},
                                           StoredSizeCase{"abc", "1e4", {5535, 6720}},
                                           StoredSizeCase{"7000.6", "0x1800", {5535, 7001}},
                                           StoredSizeCase{"99999999", "-5", {5535, 6720}}));

struct ScrollBarCase {
    double innerHeight;
    int rows;
    double row0Top;
    bool shown;
};

class ScrollBar : public ::testing::TestWithParam<ScrollBarCase> {};

TEST_P(ScrollBar, ShowsWhenRowsDoNotFitOrTheBoardIsScrolled) {
    const ScrollBarCase& c = GetParam();
    EXPECT_EQ(ScrollBarShown(c.innerHeight, c.rows, c.row0Top), c.shown);
}

INSTANTIATE_TEST_SUITE_P(Cases, ScrollBar,
                         ::testing::Values(ScrollBarCase{2040, 8, 0, false}, ScrollBarCase{2040, 9, 0, true},
                                           ScrollBarCase{2039, 8, 0, true},
                                           ScrollBarCase{2040, 1, RowParkedAfterScroll, true},
                                           ScrollBarCase{2040, 2, 34.819, false},
                                           ScrollBarCase{2040, 0, 0, false}));

TEST(RowTops, RebuildPlacesRowsUpTo128AndParksTheRest) {
    EXPECT_EQ(RebuildRowTop(0), 0);
    EXPECT_EQ(RebuildRowTop(3), 765);
    EXPECT_EQ(RebuildRowTop(128), 32640);
    EXPECT_EQ(RebuildRowTop(129), -255);
    EXPECT_EQ(RebuildRowTop(5000), -255);
}

TEST(RowTops, ScrollShowsRowsFromTheValueAndParksOthers) {
    EXPECT_DOUBLE_EQ(ScrolledRowTop(3, 3), 34.819);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(ScrolledRowTop(i, 3), -512) << i;
    EXPECT_DOUBLE_EQ(ScrolledRowTop(4, 3), 255 + 34.819);
    // 130 services: row 129 comes into reach from value 2 and is the top row at 129.
    EXPECT_EQ(ScrolledRowTop(129, 1), -512);
    EXPECT_DOUBLE_EQ(ScrolledRowTop(129, 2), 127 * 255 + 34.819);
    EXPECT_DOUBLE_EQ(ScrolledRowTop(129, 129), 34.819);
    // The maximum (N + 2) parks every row.
    for (int i = 0; i < 130; ++i)
        EXPECT_EQ(ScrolledRowTop(i, 132), -512) << i;
}

TEST(ArrangeLayout, SnapsToTheMinimumAndMovesTheBottomRowWithTheHeight) {
    const WindowLayout snapped = ArrangeLayout({4000, 5000}, 1, 0);
    EXPECT_EQ(snapped.size, (OuterSize{5535, 6720}));
    EXPECT_EQ(snapped.cmdStatusTop, 4920);
    const WindowLayout grown = ArrangeLayout({7535, 8720}, 1, 0);
    EXPECT_EQ(grown.size, (OuterSize{7535, 8720}));
    EXPECT_EQ(grown.imgStatusTop, grown.cmdStatusTop);
    EXPECT_EQ(grown.hyperlinkLeft, 1180);
    EXPECT_EQ(grown.pctStatus.height - snapped.pctStatus.height, 2000);
}

TEST(ArrangeLayout, ResponseTimesEndAtTheScrollBarWhenItShows) {
    const WindowLayout hidden = ArrangeLayout({5535, 6720}, 2, 0);
    EXPECT_EQ(hidden.timeLeft + hidden.timeWidth, hidden.boardInnerWidth);

    const WindowLayout shown = ArrangeLayout({5535, 6720}, 40, 0);
    ASSERT_TRUE(shown.scrollBarVisible);
    EXPECT_EQ(shown.timeLeft + shown.timeWidth, shown.VScroll1.left);
    EXPECT_EQ(shown.VScroll1.height, shown.boardInnerHeight);
}

TEST(Texts, ResponseTimeAndStatusLine) {
    EXPECT_EQ(ResponseTimeText(0), QStringLiteral("0ms"));
    EXPECT_EQ(ResponseTimeText(47), QStringLiteral("47ms"));
    EXPECT_EQ(ResponseTimeText(10003), QStringLiteral("10003ms"));

    const QLocale us(QLocale::English, QLocale::UnitedStates);
    EXPECT_EQ(StatusAsOfText(QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)), us),
              QStringLiteral("Status as of: 3/5/24 2:07:09 PM"));
    EXPECT_EQ(StatusAsOfText(QDateTime(QDate(2024, 3, 5), QTime(0, 0)), us),
              QStringLiteral("Status as of: 3/5/24"));
    const QLocale de(QLocale::German, QLocale::Germany);
    EXPECT_EQ(StatusAsOfText(QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)), de),
              QStringLiteral("Status as of: 05.03.24 14:07:09"));
}

} // namespace
