#pragma once

#include "core/SettingsStore.h"
#include "core/SocketControl.h"
#include "core/StoreNames.h"
#include "monitor/CheckCycle.h"
#include "monitor/CheckHost.h"
#include "monitor/CheckSettings.h"
#include "monitor/Clock.h"
#include "monitor/Schedule.h"
#include "tests/support/Loopback.h"
#include "tests/support/SettableClock.h"
#include "tests/support/TempConfigHome.h"

#include <QStringList>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>

// The main window and its tray icon as the cycle sees them; every request lands, in order, in `calls`.
class RecordingWindow : public CheckHost, public TrayIndicator {
public:
    int Count(const QString& call) const { return static_cast<int>(calls.count(call)); }

    void LockCommands() override { calls << "Lock"; }
    void UnlockCommands() override { calls << "Unlock"; }
    void ShowStatusLight(Light light) override { calls << QStringLiteral("Status(%1)").arg(int(light)); }
    void ShowMainWindow() override { calls << "ShowMainWindow"; }
    bool IsMainWindowVisible() const override { return mainWindowVisible; }
    void DisplayServiceStatus() override { calls << "Display"; }
    void ClearBoardRows() override { calls << "ClearBoard"; }
    bool AskYesNo(const QString& text) override {
        calls << "Ask";
        texts << text;
        if (whileAsking)
            whileAsking(); // as events arriving while the question is open
        return answerYes;
    }
    void Inform(const QString& text) override {
        calls << "Inform";
        texts << text;
    }
    void PlayAlarm() override { calls << "Alarm"; }

    QString TrayToolTip() const override { return toolTip; }
    void SetTrayToolTip(const QString& text) override {
        calls << "Tip";
        toolTipsWritten << (toolTip = text);
    }
    void SetTrayImageToLight(Light light) override { calls << QStringLiteral("Image(%1)").arg(int(light)); }
    void SetTrayImageToStatus() override { calls << "Image(status)"; }
    bool IsVisible() const override { return trayVisible; }
    void Show() override {
        calls << "Show";
        if (onShow)
            onShow();
    }

    QStringList calls;
    bool mainWindowVisible = false;
    bool trayVisible = true;
    bool answerYes = false;
    std::function<void()> whileAsking;
    std::function<void()> onShow;
    QStringList texts, toolTipsWritten; // texts: every question and message shown
    QString toolTip = QStringLiteral("Click to see server status");
};

// A cycle and a schedule on a fresh seeded store, with real listeners on 127.0.0.1.
class CycleTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SeedCheckSettings()); }
    // Whatever path a cycle took, the window ends up unlocked and idle.
    void TearDown() override {
        EXPECT_EQ(window.Count("Lock"), window.Count("Unlock"));
        EXPECT_FALSE(state.blnCheckInProgress);
    }
    static void Store(const QString& key, const QString& value) {
        ASSERT_TRUE(SaveSetting(StoreNames::App, StoreNames::Settings, key, value));
    }
    static void AddService(const QString& host, int port) {
        ASSERT_TRUE(SaveSetting(StoreNames::App, StoreNames::Services, host,
                                QStringLiteral("127.0.0.1:%1").arg(port)));
    }
    // `up` services on the open listener first, then `down` on a refused port, in stored order.
    void AddServices(int up, int down) {
        for (int i = 0; i < up + down; ++i)
            AddService(QStringLiteral("s%1").arg(i), i < up ? listener.port() : closedPort);
    }
    // A whole cycle: the probes yield to the event loop now and then, so it may end after the call.
    void RunCycle(bool silent = true) {
        cycle.CheckServices(silent);
        ASSERT_TRUE(QTest::qWaitFor([this] { return !state.blnCheckInProgress; }, 20000));
    }
    // The calls without the tooltip and icon refreshes.
    QStringList Dialogue() const {
        QStringList calls = window.calls;
        calls.removeAll("Tip");
        calls.removeAll("Show");
        return calls;
    }

    TempConfigHome home;
    OpenListener listener;
    const int closedPort = ClosedLoopbackPort();
    RecordingWindow window;
    SocketControl socket;
    SettableClock clock;
    CheckState state;
    CheckCycle cycle{state, window, window, socket, clock};
    Schedule schedule{state, clock};
};
inline void PrintTo(const QStringList& list, std::ostream* os) {
    *os << list.join(", ").toStdString();
}
