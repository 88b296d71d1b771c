#include "monitor/CheckCycle.h"

#include "core/SettingsStore.h"
#include "core/SocketControl.h"
#include "core/StoreNames.h"
#include "monitor/CheckSettings.h"
#include "monitor/CycleLog.h"
#include "monitor/CycleTexts.h"
#include "monitor/LightRules.h"
#include "monitor/ProbeService.h"

Q_LOGGING_CATEGORY(lcCycle, "vantrel.cycle", QtWarningMsg)

CheckCycle::CheckCycle(CheckState& state, CheckHost& host, TrayIndicator& tray, SocketControl& socket,
                       const Clock& clock, QObject* parent)
    : QObject(parent), m_state(state), m_host(host), m_tray(tray), m_socket(socket), m_clock(clock),
      m_flash(tray) {
    m_resume.setSingleShot(true);
    m_resume.setInterval(0);
    connect(&m_resume, &QTimer::timeout, this, [this] {
        if (m_probing)
            ProbeNext();
    });
}

bool CheckCycle::CanStart() const {
    // The no-services question waits in a local event loop, so ticks and clicks still arrive; a
    // nested cycle would stack a second question. A manual check or lookup holds the one socket.
    return !m_state.blnCheckInProgress && !m_socket.IsBusy() && !m_state.blnExitRequested;
}

void CheckCycle::WriteToolTip(const QString& text) {
    m_tray.SetTrayToolTip(text);
    qCInfo(lcCycle) << "tooltip" << text;
}

void CheckCycle::CheckServices(bool blnSilent) {
    if (!CanStart()) {
        qCInfo(lcCycle) << "cycle not started: one is running or the socket is busy";
        return;
    }
    qCInfo(lcCycle) << "cycle start" << (blnSilent ? "silent" : "interactive");
    m_flash.Stop();

    m_state.TimeoutMs = ReadTimeoutMs();
    m_state.AlarmEnabled = ReadAlarmEnabled();
    m_state.blnCheckInProgress = true;
    m_host.LockCommands();

    // A cycle that finds no services puts this back, so the tooltip never claims a check still runs.
    const QString toolTipBefore = m_tray.TrayToolTip();
    WriteToolTip(CycleTexts::CheckInProgress);
    if (!m_state.FirstCheckPending)
        WriteToolTip(m_tray.TrayToolTip() + CycleTexts::LineBreak +
                     CycleTexts::LastCheckLine(m_state.LastUpCount, m_state.ServiceCount, m_state.PercentUp));
    m_tray.Show();

    m_state.UpCount = 0;
    StampLastCheck();
    m_state.ServiceList = GetAllSettings(StoreNames::App, StoreNames::Services);

    if (!m_state.ServiceList) {
        WriteToolTip(toolTipBefore);
        m_tray.Show();
        qCInfo(lcCycle) << "result no services";
        // A store that cannot be used has been told at start-up: none are defined is not the reason.
        if (!blnSilent && StoreReadProblem(StoreNames::App).isEmpty())
            AskToDefineServices();
        End();
        return;
    }

    const int count = static_cast<int>(m_state.ServiceList->size());
    m_state.ServiceUp = QList<bool>(count, false);
    m_state.ResponseTime = QList<float>(count, 0.0f);
    m_state.Outcome = QList<ProbeOutcome>(count);
    m_converter.emplace();
    m_next = 0;
    m_probing = true;
    ProbeNext();
}

void CheckCycle::AskToDefineServices() {
    const bool yes = m_host.AskYesNo(CycleTexts::NoServicesQuestion);
    if (m_state.blnExitRequested)
        return;
    if (yes)
        m_host.ShowMainWindow();
    else
        m_host.Inform(CycleTexts::NoServicesHint);
}

// Probes in stored order. An answer that is there at once is taken in this loop; one that must be
// waited for arrives later through RecordProbe, which goes on from there. Once the slice's budget is
// spent, the event loop gets its turn (timers, painting, input) before the next probe.
void CheckCycle::ProbeNext() {
    const ServicePairs& services = *m_state.ServiceList;
    const auto sliceEnd = m_clock.Monotonic() + m_sliceBudget;
    while (m_next < services.size()) {
        if (m_state.blnExitRequested)
            return Stop();
        const int index = m_next++;
        m_state.CurrentServiceIndex = static_cast<qint16>(index);
        m_awaitingAnswer = true;
        m_insideProbeLoop = true;
        m_probeStarted = m_clock.Monotonic();
        // Only the stored value goes to the probe; the host name is the service's label.
        BeginProbeService(m_socket, *m_converter, m_state.TimeoutMs, services.at(index).second,
                          [this, index](const ProbeOutcome& outcome) { RecordProbe(index, outcome); });
        m_insideProbeLoop = false;
        if (m_awaitingAnswer)
            return;
        if (m_next < services.size() && m_clock.Monotonic() >= sliceEnd) {
            m_resume.start();
            return;
        }
    }
    EndWithResult();
}

void CheckCycle::RecordProbe(int index, const ProbeOutcome& outcome) {
    // The probe's own time: from its start to its answer, floored to whole milliseconds.
    const auto elapsed = m_clock.Monotonic() - m_probeStarted;
    m_state.ResponseTime[index] =
        static_cast<float>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
    m_state.ServiceUp[index] = outcome.up();
    m_state.Outcome[index] = outcome;
    if (outcome.up())
        ++m_state.UpCount;
    m_awaitingAnswer = false;
    if (!m_insideProbeLoop)
        ProbeNext();
}

void CheckCycle::EndWithResult() {
    m_probing = false;
    m_converter.reset();
    ShowResult(static_cast<int>(m_state.ServiceList->size()));
    // Recorded before the board is rebuilt, which shows since when each service is in its state.
    const ServiceTransitions changes =
        m_state.History.Record(*m_state.ServiceList, m_state.ServiceUp, m_state.LastCheckTime);
    const std::optional<DesktopAlert> alert = AlertTexts::AlertFor(m_state, changes);
    End();
    if (alert)
        emit alertRaised(*alert);
}

// Unlocks the window, and rebuilds the board when it shows (and again after a refresh).
void CheckCycle::End() {
    const bool rebuild = std::exchange(m_rebuildBoard, false);
    const std::optional<bool> refreshSilent = std::exchange(m_refreshAfterCycle, std::nullopt);
    m_host.UnlockCommands();
    m_state.blnCheckInProgress = false;
    if (!m_state.blnExitRequested) {
        if (m_state.ServiceList && m_host.IsMainWindowVisible())
            m_host.DisplayServiceStatus();
        if (rebuild) {
            m_host.ClearBoardRows();
            m_host.DisplayServiceStatus();
        }
    }
    emit finished();
    // From the event loop, so this cycle's result is shown before the refresh locks the window again.
    if (refreshSilent && !m_state.blnExitRequested)
        QTimer::singleShot(0, this, [this, silent = *refreshSilent] { RefreshStatus(silent); });
}

void CheckCycle::Stop() {
    m_flash.Abandon();
    m_resume.stop();
    m_refreshAfterCycle.reset();
    if (!m_probing)
        return; // nothing waits; a question box in progress ends through its own return
    // The program is ending: the tray and the board may already be gone, so leave them alone.
    m_socket.Abort();
    m_probing = false;
    m_awaitingAnswer = false;
    m_converter.reset();
    qCInfo(lcCycle) << "result stopped: exit requested";
    m_state.CurrentServiceIndex = -1;
    m_rebuildBoard = false;
    m_host.UnlockCommands();
    m_state.blnCheckInProgress = false;
    emit finished();
}

void CheckCycle::ShowResult(int serviceCount) {
    m_state.ServiceCount = static_cast<qint16>(serviceCount);
    m_state.LastUpCount = m_state.UpCount;
    m_state.ShareUp = static_cast<float>(m_state.UpCount) / static_cast<float>(serviceCount);

    const Light light = ChooseLight(m_state.UpCount, serviceCount,
                                    ReadThreshold(StoreNames::Green, CheckDefaults::GreenPercent),
                                    ReadThreshold(StoreNames::Yellow, CheckDefaults::YellowPercent));
    m_host.ShowStatusLight(light);
    m_state.CurrentLight = light;
    StampLastCheck();

    const int percent = PercentUpRounded(m_state.UpCount, serviceCount);
    if (m_tray.IsVisible()) {
        m_tray.SetTrayImageToStatus();
        m_state.PercentUp = static_cast<quint8>(percent);
        WriteToolTip(CycleTexts::Summary(m_state.UpCount, serviceCount, percent));
        m_state.FirstCheckPending = false;
        m_tray.Show();
        // The summary is in place first, so the flash alternates over it and ends on the new light.
        if (m_state.CurrentLight < m_state.PreviousLight) {
            m_flash.Start(m_state.PreviousLight);
            if (m_state.AlarmEnabled)
                m_host.PlayAlarm();
        }
    }
    qCInfo(lcCycle).nospace() << "result " << m_state.UpCount << " of " << serviceCount << " up, " << percent
                              << "%, light " << static_cast<int>(light);

    m_state.PreviousLight = m_state.CurrentLight;
    m_state.CurrentServiceIndex = -1;
}

// The schedule counts from the boot clock, which setting the wall clock cannot move; the board shows
// the wall time.
void CheckCycle::StampLastCheck() {
    m_state.LastCheckTime = m_clock.Now();
    m_state.LastCheckSinceBoot = m_clock.SinceBoot();
}

void CheckCycle::RefreshStatus(bool blnSilent) {
    if (!CanStart()) {
        // The cycle under way may have read the list before the change the user wants to see.
        if (m_state.blnCheckInProgress && !m_state.blnExitRequested)
            m_refreshAfterCycle = m_refreshAfterCycle.value_or(true) && blnSilent;
        return;
    }
    m_rebuildBoard = true;
    CheckServices(blnSilent);
}
