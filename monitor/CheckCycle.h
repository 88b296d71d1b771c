#pragma once

#include "core/clsConverter.h"
#include "monitor/AlertTexts.h"
#include "monitor/CheckHost.h"
#include "monitor/CheckState.h"
#include "monitor/Clock.h"
#include "monitor/TrayFlash.h"

#include <QObject>
#include <QTimer>
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
    // blnCheckInProgress is false again (and `finished` has been emitted). Probes answered at once run
    // back to back for at most SliceBudget, then the cycle goes on from the event loop, so a long list
    // of near services never holds the window longer than that.
    void CheckServices(bool blnSilent);
    // CheckServices; once the cycle has ended, the board is cleared and rebuilt. Asked while a cycle
    // runs, it runs once that cycle has ended (several such requests make one refresh).
    void RefreshStatus(bool blnSilent);
    // The program is ending: a cycle waiting for a probe ends at once without showing a result, and
    // the flash stops without touching the icon.
    void Stop();
    TrayFlash& Flash() { return m_flash; }

    // Well under a frame, so a timer or a repaint waiting behind the probes stays on time.
    static constexpr std::chrono::microseconds DefaultSliceBudget{5000};
    void SetSliceBudget(std::chrono::microseconds budget) { m_sliceBudget = budget; }

signals:
    void finished();
    // Services went down or came back up in the cycle that has just ended.
    void alertRaised(const DesktopAlert& alert);

private:
    void WriteToolTip(const QString& text);
    void AskToDefineServices();
    void ProbeNext();
    void StampLastCheck();
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
    std::optional<bool> m_refreshAfterCycle; // a refresh asked for during a cycle: its blnSilent
    std::chrono::steady_clock::time_point m_probeStarted;
    std::chrono::microseconds m_sliceBudget = DefaultSliceBudget;
    QTimer m_resume; // goes on with the probes once the event loop has had its turn
};
