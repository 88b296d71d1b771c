#include "resources/Resources.h"
#include "resources/SosWave.h"

#include <QImage>
#include <QPixmap>
#include <cstring>
#include <gtest/gtest.h>

namespace {
struct LightCase {
    const char* name;
    int hue; // of the lamp's body, 0 red, 60 yellow, 120 green
};

class LightIconTest : public ::testing::TestWithParam<LightCase> {};

TEST_P(LightIconTest, IsASixteenPixelLampOfItsColour) {
    const QIcon icon = LoadIconResource(QString::fromLatin1(GetParam().name));
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.availableSizes(), QList<QSize>{QSize(16, 16)});
    const QImage image = icon.pixmap(16, 16).toImage();
    EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0) << "corners are transparent";
    const QColor body = image.pixelColor(9, 9);
    EXPECT_NEAR(body.hsvHue(), GetParam().hue, 15);
    EXPECT_GT(body.hsvSaturation(), 200);
}

INSTANTIATE_TEST_SUITE_P(Lights, LightIconTest,
                         ::testing::Values(LightCase{"GREENLED", 134}, LightCase{"YELLOWLED", 48},
                                           LightCase{"REDLED", 0}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ResourcesTest, ProgramIconHasBothSizes) {
    const QIcon icon = LoadIconResource(QStringLiteral("PROGRAM"));
    EXPECT_EQ(icon.availableSizes(), (QList<QSize>{QSize(16, 16), QSize(32, 32)}));
}

TEST(ResourcesTest, NamesIgnoreCaseAndUnknownNamesGiveNothing) {
    EXPECT_FALSE(LoadIconResource(QStringLiteral("greenled")).isNull());
    EXPECT_TRUE(LoadIconResource(QStringLiteral("BLUELED")).isNull());
    EXPECT_TRUE(LoadIconResource(QString()).isNull());

    const QCursor hand = LoadCursorResource(QStringLiteral("Hyperlink"));
    EXPECT_EQ(hand.shape(), Qt::BitmapCursor);
    EXPECT_EQ(hand.pixmap().size(), QSize(32, 32));
    EXPECT_EQ(hand.hotSpot(), QPoint(5, 0));
    EXPECT_GT(hand.pixmap().toImage().pixelColor(5, 0).alpha(), 0) << "the hot spot is on the finger";
    EXPECT_EQ(LoadCursorResource(QStringLiteral("HYPERLINK")).shape(), Qt::BitmapCursor);
    EXPECT_EQ(LoadCursorResource(QStringLiteral("Hourglass")).shape(), Qt::ArrowCursor);
}

// Lengths in milliseconds of the sounding stretches and of the pauses between them.
void MeasureRuns(const std::vector<std::int16_t>& samples, int rate, std::vector<int>& tones,
                 std::vector<int>& pauses) {
    const int window = rate / 1000;
    bool sounding = false;
    int length = 0;
    for (std::size_t start = 0; start + window <= samples.size(); start += window) {
        int peak = 0;
        for (int i = 0; i < window; ++i)
            peak = std::max(peak, std::abs(int(samples[start + i])));
        const bool loud = peak > 2000;
        if (loud != sounding && length > 0) {
            (sounding ? tones : pauses).push_back(length);
            length = 0;
        }
        sounding = loud;
        ++length;
    }
    (sounding ? tones : pauses).push_back(length);
}

TEST(SosWaveTest, SoundsThreeShortThreeLongThreeShort) {
    const SosWaveShape shape;
    const std::vector<std::int16_t> samples = SosSamples(shape);
    std::vector<int> tones, pauses;
    MeasureRuns(samples, shape.sampleRate, tones, pauses);
    ASSERT_EQ(tones.size(), 9u);
    ASSERT_EQ(pauses.size(), 8u);
    for (std::size_t i = 0; i < tones.size(); ++i) {
        const int expected = (i >= 3 && i < 6) ? shape.longMs : shape.shortMs;
        EXPECT_NEAR(tones[i], expected, 4) << "tone " << i;
    }
    for (std::size_t i = 0; i < pauses.size(); ++i) {
        const int expected = (i == 2 || i == 5) ? shape.letterGapMs : shape.elementGapMs;
        EXPECT_NEAR(pauses[i], expected, 4) << "pause " << i;
    }
    // Every tone fades in and out: no sample jumps by more than the sine itself allows.
    int largestStep = 0;
    for (std::size_t i = 1; i < samples.size(); ++i)
        largestStep = std::max(largestStep, std::abs(samples[i] - samples[i - 1]));
    EXPECT_LT(largestStep, 32767 * shape.amplitude * 2 * 3.1416 * shape.frequencyHz / shape.sampleRate + 2);
    EXPECT_EQ(samples.front(), 0);
    EXPECT_EQ(samples.back(), 0);
}

TEST(SosWaveTest, WaveHeaderDescribesMonoSixteenBitPcm) {
    const std::vector<std::int16_t> samples = {0, 1, -1, 32767, -32768};
    const std::vector<std::uint8_t> file = WaveFileBytes(samples, 22050);
    ASSERT_EQ(file.size(), 44u + 10u);
    auto u32 = [&file](int at) {
        return std::uint32_t(file[at]) | std::uint32_t(file[at + 1]) << 8 |
               std::uint32_t(file[at + 2]) << 16 | std::uint32_t(file[at + 3]) << 24;
    };
    auto u16 = [&file](int at) { return std::uint16_t(file[at] | file[at + 1] << 8); };
    EXPECT_EQ(std::memcmp(file.data(), "RIFF", 4), 0);
    EXPECT_EQ(u32(4), file.size() - 8);
    EXPECT_EQ(std::memcmp(file.data() + 8, "WAVEfmt ", 8), 0);
    // Format chunk size, PCM, mono, rate, bytes a second, bytes a frame, bits a sample.
    EXPECT_EQ((std::vector<std::uint32_t>{u32(16), u16(20), u16(22), u32(24), u32(28), u16(32), u16(34)}),
              (std::vector<std::uint32_t>{16, 1, 1, 22050, 44100, 2, 16}));
    EXPECT_EQ(std::memcmp(file.data() + 36, "data", 4), 0);
    EXPECT_EQ(u32(40), 10u);
    for (std::size_t i = 0; i < samples.size(); ++i)
        EXPECT_EQ(std::int16_t(u16(44 + 2 * int(i))), samples[i]);
}
} // namespace
