// How late the event loop answers while a check cycle runs over many loopback services that all
// answer at once (one in ten open, the rest refused), with the cycle handing the event loop a turn
// every few milliseconds ("sliced", as the program runs) and without ("whole", every probe back to
// back, as before the cycle was sliced). A 2 ms precise timer ticks throughout; its lateness is how
// long after its due time a tick came. Prints, per size, the median cycle time, the worst lateness
// and the ratio of the cycle times (sliced / whole); the goals are a lateness under 16 ms (one frame)
// and a ratio within 1.10. Figures only: nothing here is asserted.
//
//   bench_cycle_lateness [--sizes=1000,10000] [--runs=3]
#include "bench/QuietCheckHost.h"
#include "core/SocketControl.h"
#include "monitor/CheckCycle.h"
#include "tests/support/Loopback.h"
#include "tests/support/TempConfigHome.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {
using Steady = std::chrono::steady_clock;
constexpr int TickMs = 2;

// The store written in one go: saving 10,000 services one by one would rewrite the file each time.
void WriteStore(const TempConfigHome& home, int services, int openPort, int closedPort) {
    QDir().mkpath(home.storeFolder());
    QFile::setPermissions(home.storeFolder(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QFile file(home.storeFolder() + QStringLiteral("/vantrel.conf"));
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    QByteArray text = "[Services]\n";
    for (int i = 0; i < services; ++i)
        text += QStringLiteral("service%1=127.0.0.1:%2\n")
                    .arg(i)
                    .arg(i % 10 == 0 ? openPort : closedPort)
                    .toUtf8();
    text += "[Settings]\nTimeout=1\n";
    file.write(text);
}

struct Run {
    double cycleMs = 0;
    double worstLatenessMs = 0;
};

Run MeasureCycle(CheckCycle& cycle, const CheckState& state) {
    Run run;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    Steady::time_point due;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const Steady::time_point now = Steady::now();
        run.worstLatenessMs =
            std::max(run.worstLatenessMs, std::chrono::duration<double, std::milli>(now - due).count());
        due = now + std::chrono::milliseconds(TickMs);
    });
    // Let the ticker settle before the cycle, so its first tick measures nothing but the cycle.
    ticker.start(TickMs);
    due = Steady::now() + std::chrono::milliseconds(TickMs);
    const Steady::time_point started = Steady::now();
    RunCycle(cycle, state);
    run.cycleMs = std::chrono::duration<double, std::milli>(Steady::now() - started).count();
    // A cycle that never let the loop run owes a tick: it comes now, as late as the cycle made it.
    QCoreApplication::processEvents();
    ticker.stop();
    return run;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

std::vector<int> ParseSizes(const std::string& list) {
    std::vector<int> sizes;
    std::size_t at = 0;
    while (at < list.size()) {
        const std::size_t comma = list.find(',', at);
        sizes.push_back(std::stoi(list.substr(at, comma - at)));
        at = comma == std::string::npos ? list.size() : comma + 1;
    }
    return sizes;
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::vector<int> sizes{1000, 10000};
    int runs = 3;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--sizes=", 0) == 0)
            sizes = ParseSizes(arg.substr(8));
        else if (arg.rfind("--runs=", 0) == 0)
            runs = std::stoi(arg.substr(7));
    }

    OpenListener listener;
    const int closedPort = ClosedLoopbackPort();
    QuietHost host;
    QuietTray tray;
    SocketControl socket;
    SystemClock clock;
    CheckState state;
    CheckCycle cycle(state, host, tray, socket, clock);

    for (const int services : sizes) {
        TempConfigHome home;
        WriteStore(home, services, listener.port(), closedPort);
        std::vector<double> whole, sliced, wholeLate, slicedLate;
        for (int run = 0; run < runs; ++run) {
            // Alternated, so a change in the machine's load falls on both alike.
            cycle.SetSliceBudget(std::chrono::hours(1));
            const Run w = MeasureCycle(cycle, state);
            cycle.SetSliceBudget(CheckCycle::DefaultSliceBudget);
            const Run s = MeasureCycle(cycle, state);
            whole.push_back(w.cycleMs);
            wholeLate.push_back(w.worstLatenessMs);
            sliced.push_back(s.cycleMs);
            slicedLate.push_back(s.worstLatenessMs);
            if (state.ServiceCount != services)
                std::printf("warning: the cycle counted %d services\n", state.ServiceCount);
        }
        const double ratio = Median(whole) > 0 ? Median(sliced) / Median(whole) : 0.0;
        std::printf("%6d services: whole cycle %8.1f ms, worst lateness %7.1f ms | sliced cycle %8.1f ms, "
                    "worst lateness %5.1f ms (goal under 16) | time sliced/whole %.3f (goal within 1.10)\n",
                    services, Median(whole), *std::max_element(wholeLate.begin(), wholeLate.end()),
                    Median(sliced), *std::max_element(slicedLate.begin(), slicedLate.end()), ratio);
        std::printf("        worst lateness of each sliced run (ms):");
        for (const double late : slicedLate)
            std::printf(" %.1f", late);
        std::printf("\n");
        std::printf("lateness-result: services=%d whole_ms=%.1f whole_late_ms=%.1f sliced_ms=%.1f "
                    "sliced_late_ms=%.1f ratio=%.3f\n",
                    services, Median(whole), *std::max_element(wholeLate.begin(), wholeLate.end()),
                    Median(sliced), *std::max_element(slicedLate.begin(), slicedLate.end()), ratio);
    }
    return 0;
}
