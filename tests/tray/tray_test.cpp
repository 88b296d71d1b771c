#include "ui/tray/QtTrayBackend.h"
#include "ui/tray/RecordingTrayBackend.h"
#include "ui/tray/Tray.h"

#include <QEventLoop>
#include <QStringList>
#include <climits>
#include <gtest/gtest.h>
#include <limits>

namespace {

// A tray on a recording notification area, with the events it raised.
struct RecordedTray {
    RecordedTray()
        : backend(new RecordingTrayBackend),
          tray(std::make_unique<Tray>(std::unique_ptr<TrayBackend>(backend))) {
        QObject::connect(tray.get(), &Tray::LeftClick, [this] { events << "Left"; });
        QObject::connect(tray.get(), &Tray::RightClick, [this] { events << "Right"; });
        QObject::connect(tray.get(), &Tray::MouseClick,
                         [this](int button) { events << QString("Mouse%1").arg(button); });
    }
    RecordingTrayBackend* backend;
    std::unique_ptr<Tray> tray;
    QStringList events;
};

class TrayTest : public ::testing::Test, public RecordedTray {};

TEST(TrayTipField, FramesPadsAndCutsAndTheToolTipShowsItAsPlainText) {
    const QChar nul(u'\0');
    const struct {
        QString tooltip, field;
    } cases[] = {
        {"Check in progress", QString(" Check in progress ") + nul + QString(44, u' ')},
        {"", nul + QString(63, u' ')},
        {QString(61, u'a'), ' ' + QString(61, u'a') + ' ' + nul}, // fills the field exactly, NUL last
        {QString(62, u'b'), ' ' + QString(62, u'b') + ' '},       // no room for the NUL
        {QString(100, u'c'), ' ' + QString(63, u'c')},
        // A cut through a surrogate pair would leave a broken character; its first half becomes a blank.
        {QString(62, u'd') + QString::fromUtf8("\xF0\x9F\x94\xB4"), ' ' + QString(62, u'd') + ' '},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Tray::TipField(c.tooltip), c.field) << c.tooltip.size();
    EXPECT_EQ(QtTrayBackend::ToolTipFor(Tray::TipField("<b>host</b>\nup")),
              "<qt>&lt;b&gt;host&lt;/b&gt;<br>up</qt>");
    EXPECT_EQ(QtTrayBackend::ToolTipFor(Tray::TipField("  two blanks ")), "  two blanks");
}

TEST(TrayPress, OnlyPressesRaiseEvents) {
    const struct {
        int eventMode;
        double message;
        const char* raised;
    } cases[] = {{0, 513, "Left"},
                 {0, 516, "Right"},
                 {1, 513, "Mouse1"},
                 {1, 516, "Mouse2"},
                 {0, 512.6, "Left"},
                 {1, 515.7, "Mouse2"},
                 {0, 515, ""},
                 {1, 515, ""},
                 {0, 514, ""},
                 {0, 517, ""},
                 {0, std::numeric_limits<double>::quiet_NaN(), ""},
                 {0, 1e300, ""}};
    for (const auto& c : cases) {
        RecordedTray recorded;
        recorded.tray->setEventMode(c.eventMode);
        recorded.backend->press(c.message);
        EXPECT_EQ(recorded.events.join(""), c.raised) << c.eventMode << " " << c.message;
    }
}

TEST_F(TrayTest, PressesDuringTheHandlerOrWithinTheGuardAreIgnored) {
    EXPECT_EQ(tray->ClickGuardTimer()->interval(), 15);
    QObject::connect(tray.get(), &Tray::LeftClick, [this] { backend->press(516); });
    backend->press(513);
    backend->press(516);
    EXPECT_EQ(events, QStringList{"Left"});
    // Once the guard's timer has fired, presses count again.
    QEventLoop loop;
    QObject::connect(tray->ClickGuardTimer(), &QTimer::timeout, &loop, &QEventLoop::quit);
    QTimer::singleShot(5000, &loop, [&loop] { loop.exit(1); });
    ASSERT_EQ(loop.exec(), 0) << "the guard timer never fired";
    // A handler may destroy the control: nothing touches it afterwards.
    QObject::connect(tray.get(), &Tray::RightClick, [this] { tray.reset(); });
    backend->press(516);
    EXPECT_EQ(events, (QStringList{"Left", "Right"}));
    EXPECT_EQ(tray, nullptr);
}

TEST_F(TrayTest, ShowAddsModifiesAndRemovesWithTheDataOfTheLastAssignment) {
    const QIcon icon(QPixmap(16, 16));
    tray->setTrayImage(icon);
    tray->setTrayToolTip("first");
    tray->Show(false); // nothing to remove yet
    tray->Show(true);
    tray->setTrayToolTip("second"); // takes effect only at the next Show
    for (bool visible : {true, false, false, true})
        tray->Show(visible);
    QStringList calls;
    for (const auto& [operation, data] : backend->calls)
        calls << QString::number(int(operation)) + data.TipField;
    const QString first = Tray::TipField("first"), second = Tray::TipField("second");
    EXPECT_EQ(calls,
              (QStringList{"0" + first, "1" + second, "2" + second, "0" + second})); // add, modify, remove
    EXPECT_EQ(backend->calls[0].data.Icon.cacheKey(), icon.cacheKey());
}

TEST_F(TrayTest, EventModeIsClampedAndPicturesBecome32PixelIcons) {
    const std::pair<int, int> modes[] = {{5, 1}, {-3, 0}, {0, 0}, {1, 1}, {INT_MIN, 0}, {INT_MAX, 1}};
    for (auto [assigned, expected] : modes) {
        tray->setEventMode(assigned);
        EXPECT_EQ(tray->EventMode(), expected) << assigned;
    }
    const QIcon icon(QPixmap(16, 16));
    tray->setTrayImage(icon);
    EXPECT_EQ(tray->TrayImage().cacheKey(), icon.cacheKey());
    QPixmap bitmap(100, 40);
    bitmap.fill(Qt::blue);
    tray->setTrayImage(bitmap);
    EXPECT_EQ(tray->TrayImage().availableSizes(), QList<QSize>{QSize(32, 32)});
    EXPECT_EQ(tray->TrayImage().pixmap(32, 32).toImage().pixelColor(16, 16), QColor(Qt::blue));
}

TEST_F(TrayTest, DefaultsAndPersistedProperties) {
    EXPECT_EQ(tray->EventMode(), 0);
    EXPECT_EQ(tray->TrayToolTip(), "Click to see server status and configure settings");
    EXPECT_FALSE(tray->IsVisible());
    // Nothing persisted gives the persisted defaults; a stored EventMode is taken as it is.
    tray->setTrayImage(QIcon(QPixmap(8, 8)));
    tray->ReadProperties({});
    EXPECT_EQ(tray->TrayToolTip(), "Click to see server status");
    EXPECT_TRUE(tray->TrayImage().isNull());
    tray->ReadProperties({{"EventMode", 7}, {"TrayImage", QPixmap(10, 10)}});
    EXPECT_EQ(tray->EventMode(), 7);
    EXPECT_EQ(tray->TrayImage().availableSizes(), QList<QSize>{QSize(32, 32)});
}

} // namespace
