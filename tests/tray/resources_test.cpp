#include "resources/Resources.h"
#include "resources/SosWave.h"

#include <QImage>
#include <QPixmap>
#include <gtest/gtest.h>

namespace {

TEST(Resources, LampsProgramIconAndCursor) {
    const struct {
        const char* name;
        int hue; // of the lamp's body
    } lamps[] = {{"GREENLED", 134}, {"YELLOWLED", 48}, {"REDLED", 0}, {"greenled", 134}};
    for (const auto& lamp : lamps) {
        SCOPED_TRACE(lamp.name);
        const QIcon icon = LoadIconResource(lamp.name);
        ASSERT_EQ(icon.availableSizes(), QList<QSize>{QSize(16, 16)});
        const QImage image = icon.pixmap(16, 16).toImage();
        EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0) << "corners are transparent";
        EXPECT_NEAR(image.pixelColor(9, 9).hsvHue(), lamp.hue, 15);
        EXPECT_GT(image.pixelColor(9, 9).hsvSaturation(), 200);
    }
    EXPECT_EQ(LoadIconResource("PROGRAM").availableSizes(), (QList<QSize>{QSize(16, 16), QSize(32, 32)}));
    EXPECT_TRUE(LoadIconResource("BLUELED").isNull());
    const QCursor hand = LoadCursorResource("HYPERLINK");
    EXPECT_GT(hand.pixmap().toImage().pixelColor(hand.hotSpot()).alpha(), 0)
        << "the hot spot is on the finger";
}

TEST(SosWave, SoundsThreeShortThreeLongThreeShort) {
    const SosWaveShape shape;
    const std::vector<std::int16_t> samples = SosSamples(shape);
    // Lengths in milliseconds of the sounding stretches and of the pauses between them, in turn.
    std::vector<int> runs{0};
    bool sounding = true;
    const int window = shape.sampleRate / 1000;
    for (std::size_t start = 0; start + window <= samples.size(); start += window) {
        int peak = 0;
        for (int i = 0; i < window; ++i)
            peak = std::max(peak, std::abs(int(samples[start + i])));
        if ((peak > 2000) != sounding) {
            sounding = !sounding;
            runs.push_back(0);
        }
        ++runs.back();
    }
    const int s = shape.shortMs, l = shape.longMs, e = shape.elementGapMs, g = shape.letterGapMs;
    const std::vector<int> expected{s, e, s, e, s, g, l, e, l, e, l, g, s, e, s, e, s};
    ASSERT_EQ(runs.size(), expected.size());
    for (std::size_t i = 0; i < runs.size(); ++i)
        EXPECT_NEAR(runs[i], expected[i], 4) << "run " << i;

    // Every tone fades in and out, so the sound starts and ends without a click.
    EXPECT_EQ(samples.front(), 0);
    EXPECT_EQ(samples.back(), 0);
}

} // namespace
