// Opening the main window over a very long list: the state a finished cycle leaves for N services
// (default 100,000; every third down) is in place, then the window is restored as a click on the icon
// does. Prints the time until the window is shown and painted, the time until the event loop answers
// again, and resident memory before and after. Goals: both times within 1 s, resident memory under
// 150 MB. Figures only: nothing here is asserted. Runs on Qt's offscreen platform unless another is
// chosen with QT_QPA_PLATFORM.
//
//   bench_main_window [--services=100000]
#include "bench/ResidentMemory.h"
#include "core/SettingsStore.h"
#include "core/StoreNames.h"
#include "monitor/CheckState.h"
#include "tests/support/Loopback.h"
#include "tests/support/TempConfigHome.h"
#include "ui/main/frmMain.h"
#include "ui/tray/RecordingTrayBackend.h"

#include <QApplication>
#include <QFile>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

namespace {
using Steady = std::chrono::steady_clock;

double MsSince(Steady::time_point start) {
    return std::chrono::duration<double, std::milli>(Steady::now() - start).count();
}
} // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int services = 100000;
    for (int i = 1; i < argc; ++i)
        if (std::string(argv[i]).rfind("--services=", 0) == 0)
            services = std::stoi(std::string(argv[i]).substr(11));

    TempConfigHome home;
    // One refused service, so the start-up check asks nothing.
    SaveSetting(StoreNames::App, StoreNames::Services, QStringLiteral("start"),
                QStringLiteral("127.0.0.1:%1").arg(ClosedLoopbackPort()));
    frmMain::Options options;
    options.trayBackend = std::make_unique<RecordingTrayBackend>();
    options.trayAvailable = true;
    frmMain window(std::move(options));
    window.Form_Load();
    while (window.checkState().blnCheckInProgress)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);

    CheckState& state = window.checkState();
    ServicePairs list;
    list.reserve(services);
    QList<bool> up;
    QList<float> times;
    QList<ProbeOutcome> outcomes;
    for (int i = 0; i < services; ++i) {
        list.append({QStringLiteral("service%1.example").arg(i),
                     QStringLiteral("10.0.%1.%2:80").arg(i / 250 % 256).arg(i % 250 + 1)});
        up.append(i % 3 != 0);
        times.append(static_cast<float>(i % 40));
        outcomes.append({up.last() ? ProbeReason::Open : ProbeReason::Refused, {}});
    }
    // A cycle's whole result, with since-when, so each row has its state text to build.
    state.History.Record(list, up, QDateTime::currentDateTime());
    state.Outcome = std::move(outcomes);
    state.ServiceList = std::move(list);
    state.ServiceUp = std::move(up);
    state.ResponseTime = std::move(times);
    state.ServiceCount = static_cast<qint16>(std::min(services, 32767));
    state.LastCheckTime = QDateTime::currentDateTime();
    const long residentBefore = ResidentKiB();

    const Steady::time_point started = Steady::now();
    window.RestoreFromTray();
    const double restoredMs = MsSince(started);
    QCoreApplication::processEvents(); // the first paint
    const double paintedMs = MsSince(started);
    bool answered = false;
    QTimer::singleShot(0, [&] { answered = true; });
    while (!answered)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double answeringMs = MsSince(started);
    const long residentAfter = ResidentKiB();

    std::printf("%d services: restored in %.0f ms, shown and painted in %.0f ms, answering after %.0f ms "
                "(goal within 1000); visible %s; resident %ld KiB before the window, %ld KiB after "
                "(goal under 153600)\n",
                services, restoredMs, paintedMs, answeringMs, window.isVisible() ? "yes" : "no",
                residentBefore, residentAfter);
    std::printf(
        "window-result: services=%d painted_ms=%.0f answering_ms=%.0f rss_before_kib=%ld rss_after_kib=%ld\n",
        services, paintedMs, answeringMs, residentBefore, residentAfter);
    window.Unload();
    return 0;
}
