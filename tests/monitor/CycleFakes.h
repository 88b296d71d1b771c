#pragma once

#include "monitor/CheckHost.h"
#include "monitor/Clock.h"

#include <QStringList>
#include <functional>

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
        questions << text;
        if (whileAsking)
            whileAsking(); // as events arriving while the question is open
        return answerYes;
    }
    void Inform(const QString& text) override {
        calls << "Inform";
        informed << text;
    }
    void PlayAlarm() override { calls << "Alarm"; }

    QString TrayToolTip() const override { return toolTip; }
    void SetTrayToolTip(const QString& text) override {
        calls << "Tip";
        toolTip = text;
        toolTipsWritten << text;
    }
    void SetTrayImageToLight(Light light) override { calls << QStringLiteral("Image(%1)").arg(int(light)); }
    void SetTrayImageToStatus() override { calls << "Image(status)"; }
    bool IsVisible() const override { return trayVisible; }
    void Show() override { calls << "Show"; }

    QStringList calls;
    bool mainWindowVisible = false;
    bool trayVisible = true;
    bool answerYes = false;
    std::function<void()> whileAsking;
    QStringList questions, informed, toolTipsWritten;
    QString toolTip;
};

// Wall time set by the test; durations from the real monotonic clock.
class SettableClock : public Clock {
public:
    QDateTime Now() const override { return now; }
    std::chrono::steady_clock::time_point Monotonic() const override {
        return std::chrono::steady_clock::now();
    }
    QDateTime now = QDateTime(QDate(2026, 3, 2), QTime(12, 0));
};
