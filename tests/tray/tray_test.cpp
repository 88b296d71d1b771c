#include "ui/tray/QtTrayBackend.h"
#include "ui/tray/RecordingTrayBackend.h"
#include "ui/tray/Tray.h"

#include <QEventLoop>
#include <QStringList>
#include <climits>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace {
using Operation = RecordingTrayBackend::Operation;

const QChar Nul(u'\0');

class TrayTest : public ::testing::Test {
protected:
    TrayTest() {
        auto recording = std::make_unique<RecordingTrayBackend>();
        backend = recording.get();
        tray = std::make_unique<Tray>(std::move(recording));
        QObject::connect(tray.get(), &Tray::LeftClick, [this] { events << QStringLiteral("Left"); });
        QObject::connect(tray.get(), &Tray::RightClick, [this] { events << QStringLiteral("Right"); });
        QObject::connect(tray.get(), &Tray::MouseClick,
                         [this](int button) { events << QStringLiteral("Mouse%1").arg(button); });
    }

    // Lets the click guard run out the way it does in the program: its timer fires.
    void WaitForGuardToEnd() {
        ASSERT_TRUE(tray->ClickGuardTimer()->isActive());
        QEventLoop loop;
        QObject::connect(tray->ClickGuardTimer(), &QTimer::timeout, &loop, &QEventLoop::quit);
        QTimer::singleShot(5000, &loop, [&loop] { loop.exit(1); });
        ASSERT_EQ(loop.exec(), 0) << "the guard timer never fired";
    }

    RecordingTrayBackend* backend = nullptr;
    std::unique_ptr<Tray> tray;
    QStringList events;
};

struct TipCase {
    const char* name;
    QString tooltip;
    QString expected;
};

class TipFieldTest : public ::testing::TestWithParam<TipCase> {};

TEST_P(TipFieldTest, FramesPadsAndCuts) {
    const QString field = Tray::TipField(GetParam().tooltip);
    EXPECT_EQ(field.size(), Tray::TipFieldLength);
    EXPECT_EQ(field, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TipFieldTest,
    ::testing::Values(
        TipCase{"ordinary", QStringLiteral("Check in progress"),
                QStringLiteral(" Check in progress ") + Nul + QString(44, u' ')},
        TipCase{"empty", QString(), Nul + QString(63, u' ')},
        // 61 characters fill the field exactly, NUL last.
        TipCase{"fits", QString(61, u'a'), u' ' + QString(61, u'a') + u' ' + Nul},
        // From 62 characters on there is no room for the NUL; nothing beyond 64 is kept.
        TipCase{"noRoomForNul", QString(62, u'b'), u' ' + QString(62, u'b') + u' '},
        TipCase{"cut", QString(100, u'c'), u' ' + QString(63, u'c')},
        TipCase{"lineBreak", QStringLiteral("a\nb"), QStringLiteral(" a\nb ") + Nul + QString(58, u' ')},
        // A cut through a surrogate pair would leave a broken character; its first half becomes a blank.
        TipCase{"surrogateAtCut", QString(62, u'd') + QString::fromUtf8("\xF0\x9F\x94\xB4"),
                u' ' + QString(62, u'd') + u' '}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TrayTest, NewInstanceDefaults) {
    EXPECT_EQ(tray->EventMode(), 0);
    EXPECT_EQ(tray->TrayToolTip(), QStringLiteral("Click to see server status and configure settings"));
    EXPECT_FALSE(tray->IsVisible());
    EXPECT_TRUE(tray->TrayImage().isNull());
    EXPECT_TRUE(backend->calls.isEmpty());
}

struct PressCase {
    int eventMode;
    double message;
    const char* expected; // empty: no event
};

class PressTest : public TrayTest, public ::testing::WithParamInterface<PressCase> {};

TEST_P(PressTest, OnlyPressesRaiseEvents) {
    tray->setEventMode(GetParam().eventMode);
    backend->press(GetParam().message);
    const QString expected = QString::fromLatin1(GetParam().expected);
    EXPECT_EQ(events, expected.isEmpty() ? QStringList() : QStringList{expected});
}

INSTANTIATE_TEST_SUITE_P(
    Messages, PressTest,
    ::testing::Values(PressCase{0, 513, "Left"}, PressCase{0, 516, "Right"}, PressCase{1, 513, "Mouse1"},
                      PressCase{1, 516, "Mouse2"}, PressCase{0, 512.6, "Left"}, PressCase{1, 515.7, "Mouse2"},
                      PressCase{0, 515, ""}, PressCase{1, 515, ""}, PressCase{0, 512, ""},
                      PressCase{0, 514, ""}, PressCase{0, 517, ""}, PressCase{0, 518, ""},
                      PressCase{0, 519, ""}, PressCase{1, 0, ""},
                      PressCase{0, std::numeric_limits<double>::quiet_NaN(), ""}, PressCase{0, 1e300, ""},
                      PressCase{0, -1e300, ""}),
    [](const auto& info) {
        return "mode" + std::to_string(info.param.eventMode) + "_case" + std::to_string(info.index);
    });

TEST_F(TrayTest, DoubleClickRaisesOneEvent) {
    // Press, release, the double-click message, release: the second press never arrives as 513.
    for (double message : {513.0, 514.0, 515.0, 514.0})
        backend->press(message);
    WaitForGuardToEnd();
    backend->press(515);
    EXPECT_EQ(events, QStringList{QStringLiteral("Left")});
}

TEST_F(TrayTest, PressWhileHandlerRunsIsIgnored) {
    QObject::connect(tray.get(), &Tray::LeftClick, [this] {
        EXPECT_FALSE(tray->ClickGuardTimer()->isActive());
        backend->press(516); // as if the handler's window processed a queued press
        backend->press(513);
    });
    backend->press(513);
    EXPECT_EQ(events, QStringList{QStringLiteral("Left")});
}

TEST_F(TrayTest, PressWithinGuardIsIgnoredAndGuardEnds) {
    EXPECT_EQ(tray->ClickGuardTimer()->interval(), 15);
    EXPECT_TRUE(tray->ClickGuardTimer()->isSingleShot());
    backend->press(513);
    backend->press(516);
    EXPECT_EQ(events, QStringList{QStringLiteral("Left")});

    WaitForGuardToEnd();
    EXPECT_FALSE(tray->ClickGuardTimer()->isActive());
    backend->press(516);
    EXPECT_EQ(events, (QStringList{QStringLiteral("Left"), QStringLiteral("Right")}));
}

TEST_F(TrayTest, HandlerMayDestroyTheControl) {
    QObject::connect(tray.get(), &Tray::LeftClick, [this] { tray.reset(); });
    backend->press(513); // must not touch the destroyed control afterwards
    EXPECT_EQ(tray, nullptr);
}

TEST_F(TrayTest, ShowFollowsTheIconStates) {
    tray->Show(false);
    EXPECT_TRUE(backend->calls.isEmpty());

    const QIcon icon(QPixmap(16, 16));
    tray->setTrayImage(icon);
    tray->setTrayToolTip(QStringLiteral("first"));
    tray->Show(true);
    tray->setTrayToolTip(QStringLiteral("second"));
    EXPECT_EQ(backend->calls.size(), 1) << "assignments take effect only at the next Show";
    tray->Show(true);
    EXPECT_TRUE(tray->IsVisible());
    tray->Show(false);
    EXPECT_FALSE(tray->IsVisible());
    tray->Show(false);

    ASSERT_EQ(backend->calls.size(), 3);
    EXPECT_EQ(backend->calls[0].operation, Operation::Add);
    EXPECT_EQ(backend->calls[0].data.TipField, Tray::TipField(QStringLiteral("first")));
    EXPECT_EQ(backend->calls[0].data.Icon.cacheKey(), icon.cacheKey());
    EXPECT_EQ(backend->calls[1].operation, Operation::Modify);
    EXPECT_EQ(backend->calls[1].data.TipField, Tray::TipField(QStringLiteral("second")));
    EXPECT_EQ(backend->calls[2].operation, Operation::Remove);
    EXPECT_EQ(backend->calls[2].data.TipField, backend->calls[1].data.TipField);

    tray->Show(true);
    EXPECT_EQ(backend->calls.back().operation, Operation::Add);
}

TEST_F(TrayTest, EventModeIsClamped) {
    const std::pair<int, int> cases[] = {{5, 1}, {-3, 0}, {0, 0}, {1, 1}, {INT_MIN, 0}, {INT_MAX, 1}};
    for (auto [assigned, expected] : cases) {
        tray->setEventMode(assigned);
        EXPECT_EQ(tray->EventMode(), expected) << assigned;
    }
}

TEST_F(TrayTest, ImageConversion) {
    QPixmap red(16, 16);
    red.fill(Qt::red);
    const QIcon icon(red);
    tray->setTrayImage(icon);
    EXPECT_EQ(tray->TrayImage().cacheKey(), icon.cacheKey());

    for (QSize size : {QSize(16, 16), QSize(100, 40), QSize(32, 32)}) {
        QPixmap bitmap(size);
        bitmap.fill(Qt::blue);
        tray->setTrayImage(bitmap);
        EXPECT_EQ(tray->TrayImage().availableSizes(), QList<QSize>{QSize(32, 32)}) << size.width();
        EXPECT_EQ(tray->TrayImage().pixmap(32, 32).toImage().pixelColor(16, 16), QColor(Qt::blue));
    }

    tray->setTrayImage(QPixmap());
    EXPECT_TRUE(tray->TrayImage().isNull());
}

TEST_F(TrayTest, PersistedDefaultsWithoutClamping) {
    tray->setTrayToolTip(QStringLiteral("before"));
    tray->setTrayImage(QIcon(QPixmap(8, 8)));
    tray->ReadProperties({});
    EXPECT_EQ(tray->TrayToolTip(), QStringLiteral("Click to see server status"));
    EXPECT_EQ(tray->EventMode(), 0);
    EXPECT_TRUE(tray->TrayImage().isNull());

    tray->ReadProperties({{QStringLiteral("EventMode"), 7}, {QStringLiteral("TrayToolTip"), QString()}});
    EXPECT_EQ(tray->EventMode(), 7);
    EXPECT_EQ(tray->TrayToolTip(), QString());
    tray->ReadProperties({{QStringLiteral("EventMode"), QStringLiteral("abc")}});
    EXPECT_EQ(tray->EventMode(), 0);

    // A stored bitmap goes through the conversion like an assigned one.
    tray->ReadProperties({{QStringLiteral("TrayImage"), QPixmap(10, 10)}});
    EXPECT_EQ(tray->TrayImage().availableSizes(), QList<QSize>{QSize(32, 32)});
}

TEST_F(TrayTest, PropertiesRoundTrip) {
    const QIcon icon(QPixmap(16, 16));
    tray->setTrayImage(icon);
    tray->setTrayToolTip(QStringLiteral("saved"));
    tray->setEventMode(1);

    Tray restored(std::make_unique<RecordingTrayBackend>());
    restored.ReadProperties(tray->WriteProperties());
    EXPECT_EQ(restored.TrayImage().cacheKey(), icon.cacheKey());
    EXPECT_EQ(restored.TrayToolTip(), QStringLiteral("saved"));
    EXPECT_EQ(restored.EventMode(), 1);
    EXPECT_FALSE(restored.IsVisible());
}

TEST(QtTrayBackendTest, ToolTipShowsTheTextAsWritten) {
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral("Check in progress"), QStringLiteral("Check in progress")},
        {QString(), QString()},
        {QStringLiteral("  two blanks "), QStringLiteral("  two blanks")},
        {QStringLiteral("3 of 4\nLast check"), QStringLiteral("3 of 4\nLast check")},
        {QString(70, u'x'), QString(63, u'x')},
        {QStringLiteral("<b>host</b>\nup"), QStringLiteral("<qt>&lt;b&gt;host&lt;/b&gt;<br>up</qt>")},
    };
    for (const auto& [tooltip, shown] : cases)
        EXPECT_EQ(QtTrayBackend::ToolTipFor(Tray::TipField(tooltip)), shown) << tooltip.toStdString();
}
} // namespace
