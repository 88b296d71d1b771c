#pragma once

#include "core/clsConverter.h"
#include "monitor/AlertTexts.h"
#include "monitor/CheckHost.h"
#include "monitor/CheckState.h"
#include "monitor/Clock.h"
#include "monitor/TrayFlash.h"

#include <QObject>
#include <chrono>
#include <optional>

class SocketControl;

// One check cycle over every stored service, and the overall light it chooses. The probes run one
// after the other, each waiting on the socket without holding the thread: whatever the user opens
// meanwhile, every probe ends within its time-out and the cycle with the last one.
class CheckCycle : public QObject {
    Q_OBJECT
public:
    CheckCycle(CheckState& state, CheckHost& host, TrayIndicator& tray, SocketControl& socket,
               const Clock& clock, QObject* parent = nullptr);

    // False while a cycle runs or a manual check or lookup waits on the shared socket.
    bool CanStart() const;
    // Starts one cycle unless CanStart() is false; then it does nothing. The cycle has ended when
    // blnCheckInProgress is false again (and `finished` has been emitted); a cycle whose probes are
    // all answered at once ends before this returns.
    void CheckServices(bool blnSilent);
    // CheckServices; once the cycle has ended, the board is cleared and rebuilt.
    void RefreshStatus(bool blnSilent);
    // The program is ending: a cycle waiting for a probe ends at once without showing a result, and
    // the flash stops without touching the icon.
    void Stop();
    TrayFlash& Flash() { return m_flash; }

signals:
    void finished();
    // Services went down or came back up in the cycle that has just ended.
    void alertRaised(const DesktopAlert& alert);

private:
    void WriteToolTip(const QString& text);
    void AskToDefineServices();
    void ProbeNext();
    void RecordProbe(int index, const ProbeOutcome& outcome);
    void EndWithResult();
    void End();
    void ShowResult(int serviceCount);

    CheckState& m_state;
    CheckHost& m_host;
    TrayIndicator& m_tray;
    SocketControl& m_socket;
    const Clock& m_clock;
    TrayFlash m_flash;

    std::optional<clsConverter> m_converter; // only while the probes run
    int m_next = 0;                          // the next service to probe
    bool m_probing = false;                  // between the first probe and the result
    bool m_awaitingAnswer = false;
    bool m_insideProbeLoop = false;
    bool m_rebuildBoard = false;
    std::chrono::steady_clock::time_point m_probeStarted;
};
