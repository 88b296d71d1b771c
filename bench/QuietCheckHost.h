#pragma once

#include "monitor/CheckCycle.h"
#include "monitor/CheckHost.h"

#include <QCoreApplication>
#include <QString>

// One whole cycle: the probes that must wait are answered by the event loop.
inline void RunCycle(CheckCycle& cycle, const CheckState& state) {
    cycle.CheckServices(true);
    while (state.blnCheckInProgress)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// The main window and its tray icon reduced to what a benchmark needs: nothing is shown, every
// question is answered No, and the tooltip is kept so the cycle can read it back.
class QuietHost : public CheckHost {
public:
    void LockCommands() override {}
    void UnlockCommands() override {}
    void ShowStatusLight(Light) override {}
    void ShowMainWindow() override {}
    bool IsMainWindowVisible() const override { return false; }
    void DisplayServiceStatus() override {}
    void ClearBoardRows() override {}
    bool AskYesNo(const QString&) override { return false; }
    void Inform(const QString&) override {}
    void PlayAlarm() override {}
};

class QuietTray : public TrayIndicator {
public:
    QString TrayToolTip() const override { return m_tip; }
    void SetTrayToolTip(const QString& text) override { m_tip = text; }
    void SetTrayImageToLight(Light) override {}
    void SetTrayImageToStatus() override {}
    bool IsVisible() const override { return true; }
    void Show() override {}

private:
    QString m_tip;
};
