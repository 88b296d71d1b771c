#pragma once

#include "monitor/CheckHost.h"
#include "monitor/CheckState.h"
#include "monitor/Clock.h"

class SocketControl;

// One check cycle over every stored service, and the overall light it chooses.
class CheckCycle {
public:
    CheckCycle(CheckState& state, CheckHost& host, TrayIndicator& tray, SocketControl& socket,
               const Clock& clock);

    // False while a cycle runs or a manual check or lookup waits on the shared socket.
    bool CanStart() const;
    // Runs one cycle unless CanStart() is false; then it does nothing.
    void CheckServices(bool blnSilent);
    // CheckServices, then the board is cleared and rebuilt.
    void RefreshStatus(bool blnSilent);

private:
    void WriteToolTip(const QString& text);
    void AskToDefineServices();
    void ProbeAll(const ServicePairs& services);
    void ShowResult(int serviceCount);

    CheckState& m_state;
    CheckHost& m_host;
    TrayIndicator& m_tray;
    SocketControl& m_socket;
    const Clock& m_clock;
};
