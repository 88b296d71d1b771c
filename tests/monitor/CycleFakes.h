#pragma once

#include "monitor/CheckHost.h"
#include "monitor/Clock.h"

#include <QStringList>
#include <functional>

// One ordered record of everything the cycle asked of the window and the tray.
struct CallLog {
    QStringList calls;
    int Count(const QString& call) const { return static_cast<int>(calls.count(call)); }
};

class RecordingCheckHost : public CheckHost {
public:
    explicit RecordingCheckHost(CallLog& log) : m_log(log) {}

    void LockCommands() override;
    void UnlockCommands() override;
    void ShowStatusLight(Light light) override;
    void ShowMainWindow() override;
    bool IsMainWindowVisible() const override { return mainWindowVisible; }
    void DisplayServiceStatus() override;
    void ClearBoardRows() override;
    bool AskYesNo(const QString& text) override;
    void Inform(const QString& text) override;
    void PlayAlarm() override;

    bool mainWindowVisible = false;
    bool answerYes = false;
    std::function<void()> whileAsking; // runs inside the open question, as events would
    QStringList questions;
    QStringList informed;

private:
    CallLog& m_log;
};

class RecordingTray : public TrayIndicator {
public:
    explicit RecordingTray(CallLog& log) : m_log(log) {}

    QString TrayToolTip() const override { return toolTip; }
    void SetTrayToolTip(const QString& text) override;
    void SetTrayImageToLight(Light light) override;
    void SetTrayImageToStatus() override;
    bool IsVisible() const override { return visible; }
    void Show() override;

    bool visible = true;
    QString toolTip;
    QStringList toolTipsWritten;

private:
    CallLog& m_log;
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
