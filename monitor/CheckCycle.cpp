#include "monitor/CheckCycle.h"

#include "core/SettingsStore.h"
#include "core/SocketControl.h"
#include "core/StoreNames.h"
#include "core/clsConverter.h"
#include "monitor/CheckSettings.h"
#include "monitor/CycleLog.h"
#include "monitor/CycleTexts.h"
#include "monitor/LightRules.h"
#include "monitor/ProbeService.h"

#include <chrono>

Q_LOGGING_CATEGORY(lcCycle, "vantrel.cycle", QtWarningMsg)

namespace {
constexpr int FlashCount = 10;
}

CheckCycle::CheckCycle(CheckState& state, CheckHost& host, TrayIndicator& tray, SocketControl& socket,
                       const Clock& clock)
    : m_state(state), m_host(host), m_tray(tray), m_socket(socket), m_clock(clock) {}

bool CheckCycle::CanStart() const {
    // A question box or a probe waits in a local event loop, so ticks and clicks still arrive; a
    // nested cycle would share the one socket and stack a second question.
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
    m_state.LastCheckTime = m_clock.Now();
    m_state.ServiceList = GetAllSettings(StoreNames::App, StoreNames::Services);

    if (!m_state.ServiceList) {
        WriteToolTip(toolTipBefore);
        m_tray.Show();
        qCInfo(lcCycle) << "result no services";
        if (!blnSilent)
            AskToDefineServices();
        m_state.blnCheckInProgress = false;
        m_host.UnlockCommands();
        return;
    }

    ProbeAll(*m_state.ServiceList);
    if (m_state.blnExitRequested) {
        // The program is ending: the tray and the board may already be gone, so leave them alone.
        qCInfo(lcCycle) << "result stopped: exit requested";
        m_state.CurrentServiceIndex = -1;
        m_host.UnlockCommands();
        m_state.blnCheckInProgress = false;
        return;
    }

    ShowResult(static_cast<int>(m_state.ServiceList->size()));
    m_host.UnlockCommands();
    m_state.blnCheckInProgress = false;

    if (m_host.IsMainWindowVisible())
        m_host.DisplayServiceStatus();
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

void CheckCycle::ProbeAll(const ServicePairs& services) {
    const int count = static_cast<int>(services.size());
    m_state.ServiceUp = QList<bool>(count, false);
    m_state.ResponseTime = QList<float>(count, 0.0f);

    const clsConverter Converter;
    for (int i = 0; i < count; ++i) {
        if (m_state.blnExitRequested)
            return;
        m_state.CurrentServiceIndex = static_cast<qint16>(i);
        // Only the stored value goes to the probe; the host name is the service's label.
        const QString& value = services.at(i).second;
        const auto started = m_clock.Monotonic();
        const bool up = ProbeService(m_socket, Converter, m_state.TimeoutMs, value);
        const auto elapsed = m_clock.Monotonic() - started;
        // duration_cast floors a non-negative duration to whole milliseconds.
        m_state.ResponseTime[i] =
            static_cast<float>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
        m_state.ServiceUp[i] = up;
        if (up)
            ++m_state.UpCount;
    }
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
    m_state.LastCheckTime = m_clock.Now();

    if (m_tray.IsVisible() && m_state.CurrentLight < m_state.PreviousLight) {
        for (int flash = 0; flash < FlashCount; ++flash) {
            m_tray.SetTrayImageToLight(m_state.PreviousLight);
            m_tray.Show();
            m_tray.SetTrayImageToStatus();
            m_tray.Show();
        }
        if (m_state.AlarmEnabled)
            m_host.PlayAlarm();
    }

    const int percent = PercentUpRounded(m_state.UpCount, serviceCount);
    if (m_tray.IsVisible()) {
        m_tray.SetTrayImageToStatus();
        m_state.PercentUp = static_cast<quint8>(percent);
        WriteToolTip(CycleTexts::Summary(m_state.UpCount, serviceCount, percent));
        m_state.FirstCheckPending = false;
        m_tray.Show();
    }
    qCInfo(lcCycle).nospace() << "result " << m_state.UpCount << " of " << serviceCount << " up, " << percent
                              << "%, light " << static_cast<int>(light);

    m_state.PreviousLight = m_state.CurrentLight;
    m_state.CurrentServiceIndex = -1;
}

void CheckCycle::RefreshStatus(bool blnSilent) {
    // When the cycle cannot start, the board belongs to the cycle that runs; leave it alone.
    if (!CanStart())
        return;
    CheckServices(blnSilent);
    if (m_state.blnExitRequested)
        return;
    m_host.ClearBoardRows();
    m_host.DisplayServiceStatus();
}
