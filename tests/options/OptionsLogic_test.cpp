#include "ui/options/OptionsLogic.h"

#include <QStringList>
#include <gtest/gtest.h>

using namespace OptionsLogic;

namespace {

TEST(OptionsLogic, RoundsAndClampsStoredValuesOrFallsBack) {
    const struct {
        QString stored;
        int frequencyIndex, yellowRow;
    } cases[] = {{"", 2, 10},     {" 4 ", 4, 96}, {"3.6", 4, 96},
                 {"9", 2, 91},    {"-1", 2, 100}, {"150", 2, 0},
                 {"85.5", 2, 14}, // halves round to even
                 {"84.5", 2, 16}, {"1e1", 2, 10}, {"-99999999999999999999999999999", 2, 100}};
    for (const auto& c : cases) {
        EXPECT_EQ(FrequencyIndexFor(c.stored), c.frequencyIndex) << c.stored.toStdString();
        EXPECT_EQ(ThresholdRowFor(c.stored, kYellowFallbackPercent), c.yellowRow) << c.stored.toStdString();
    }
}

TEST(OptionsLogic, AcceptsOnlyTimeoutsOneToThirtyWrittenPlainly) {
    for (const char* text : {"1", "10", "30"})
        EXPECT_EQ(CheckTimeout(text), TimeoutVerdict::Ok) << text;
    for (const char* text :
         {"31", "0", "0.5", "-5", "5.5", "05", "+5", " 5", "5.", "99999999999999999999999"})
        EXPECT_EQ(CheckTimeout(text), TimeoutVerdict::NotPlainWhole) << text;
    for (const char* text : {"ten", "", " ", "1e1"})
        EXPECT_EQ(CheckTimeout(text), TimeoutVerdict::NotNumeric) << text;
}

} // namespace
