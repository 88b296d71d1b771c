// Soak: the real schedule and check cycle over many loopback services for a long stretch of
// simulated time. The wall clock of the schedule is settable, so the pauses between cycles cost
// nothing; every probe is real, so a cycle with S silent peers takes about S x time-out.
//
//   bench_soak                      245 open, 245 refused, 10 silent (1 s time-out), 30 simulated minutes
//   bench_soak --full               167 open, 167 refused, 166 silent: about 3 minutes per cycle
//   bench_soak --open=50 --refused=50 --silent=0 --cycles=1000
//
// Prints each cycle's duration against S x time-out and N x time-out, resident memory and open
// descriptors before and after, and "soak-result:" lines that bench/report.sh reads.
#include "bench/QuietCheckHost.h"
#include "bench/ResidentMemory.h"
#include "core/SettingsStore.h"
#include "core/SocketControl.h"
#include "core/StoreNames.h"
#include "monitor/CheckCycle.h"
#include "monitor/Schedule.h"
#include "tests/support/Loopback.h"
#include "tests/support/SettableClock.h"
#include "tests/support/TempConfigHome.h"

#include <QCoreApplication>
#include <QFile>
#include <QLoggingCategory>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Options {
    int open = 245;
    int refused = 245;
    int silent = 10;
    int timeoutSeconds = 1;
    int minutes = 30; // simulated time; ignored when cycles > 0
    int cycles = 0;
};

Options ParseOptions(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto value = [&](const char* name, int& target) {
            const std::string prefix = std::string("--") + name + "=";
            if (arg.rfind(prefix, 0) == 0)
                target = std::stoi(arg.substr(prefix.size()));
        };
        if (arg == "--full") {
            o.open = 167;
            o.refused = 167;
            o.silent = 166;
        }
        value("open", o.open);
        value("refused", o.refused);
        value("silent", o.silent);
        value("timeout", o.timeoutSeconds);
        value("minutes", o.minutes);
        value("cycles", o.cycles);
    }
    return o;
}

void Store(const QString& section, const QString& key, const QString& value) {
    if (!SaveSetting(StoreNames::App, section, key, value)) {
        std::fprintf(stderr, "cannot write the store: %s\n", qPrintable(LastStoreError()));
        std::exit(2);
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("*.info=false")); // one log line per cycle is noise here
    const Options o = ParseOptions(argc, argv);
    const int total = o.open + o.refused + o.silent;

    TempConfigHome home;
    OpenListener listener;
    SilentPeer silent;
    const int closedPort = ClosedLoopbackPort();
    Store(StoreNames::Settings, StoreNames::Timeout, QString::number(o.timeoutSeconds));
    Store(StoreNames::Settings, StoreNames::Frequency, QStringLiteral("0")); // every 5 minutes
    // Interleaved, so the silent peers are spread over the cycle as on a real network.
    for (int i = 0; i < std::max({o.open, o.refused, o.silent}); ++i) {
        if (i < o.open)
            Store(StoreNames::Services, QStringLiteral("open%1").arg(i),
                  QStringLiteral("127.0.0.1:%1").arg(listener.port()));
        if (i < o.refused)
            Store(StoreNames::Services, QStringLiteral("refused%1").arg(i),
                  QStringLiteral("127.0.0.1:%1").arg(closedPort));
        if (i < o.silent)
            Store(StoreNames::Services, QStringLiteral("silent%1").arg(i),
                  QStringLiteral("127.0.0.1:%1").arg(silent.port()));
    }

    QuietHost host;
    QuietTray tray;
    SocketControl socket;
    SettableClock clock;
    CheckState state;
    CheckCycle cycle(state, host, tray, socket, clock);
    Schedule schedule(state, clock);
    schedule.LoadCheckFrequency();
    schedule.Timer1().stop(); // the soak ticks by hand, on simulated time

    std::vector<double> seconds;
    int wrongCounts = 0;
    long rssAfterFirst = 0;
    std::vector<std::pair<int, long>> rssTrail;
    const auto runCycle = [&] {
        const auto started = std::chrono::steady_clock::now();
        RunCycle(cycle, state);
        seconds.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
        if (state.UpCount != o.open || state.ServiceCount != total)
            ++wrongCounts;
        const int n = static_cast<int>(seconds.size());
        if (n == 1)
            rssAfterFirst = ResidentKiB();
        if (n == 1 || n == 10 || n == 100 || n == 1000 || n % 1000 == 0)
            rssTrail.push_back({n, ResidentKiB()});
    };
    QObject::connect(&schedule, &Schedule::due, runCycle);

    const long rssBefore = ResidentKiB();
    const int fdsBefore = OpenDescriptorCount();
    const QDateTime start = clock.now;
    // The first cycle runs at once, as at start-up; then the timer ticks every 10 s of simulated time.
    runCycle();
    const qint64 tickSeconds = Schedule::TickIntervalMs / 1000;
    for (;;) {
        const bool done = o.cycles > 0 ? static_cast<int>(seconds.size()) >= o.cycles
                                       : start.secsTo(clock.now) + tickSeconds > o.minutes * 60LL;
        if (done)
            break;
        clock.Advance(std::chrono::seconds(tickSeconds));
        schedule.Tick();
        QCoreApplication::processEvents(); // what the event loop would deliver between ticks
    }
    const long rssAfter = ResidentKiB();
    const int fdsAfter = OpenDescriptorCount();

    const double silentFloor = o.silent * double(o.timeoutSeconds);
    const double ceiling = total * double(o.timeoutSeconds);
    std::printf("services: %d open, %d refused, %d silent; time-out %d s; %s\n", o.open, o.refused, o.silent,
                o.timeoutSeconds,
                o.cycles > 0 ? qPrintable(QStringLiteral("%1 cycles").arg(o.cycles))
                             : qPrintable(QStringLiteral("%1 simulated minutes").arg(o.minutes)));
    double longest = 0, sum = 0;
    for (std::size_t i = 0; i < seconds.size(); ++i) {
        longest = std::max(longest, seconds[i]);
        sum += seconds[i];
        if (seconds.size() <= 50)
            std::printf("cycle %3zu: %8.3f s   silent x time-out %6.1f s   N x time-out %6.1f s\n", i + 1,
                        seconds[i], silentFloor, ceiling);
    }
    for (const auto& [n, rss] : rssTrail)
        std::printf("resident after cycle %d: %ld KiB\n", n, rss);
    std::printf(
        "resident: %ld KiB before, %ld KiB after the first cycle, %ld KiB after the last (%+ld KiB)\n",
        rssBefore, rssAfterFirst, rssAfter, rssAfter - rssAfterFirst);
    std::printf("descriptors: %d before, %d after\n", fdsBefore, fdsAfter);
    std::printf("cycles with a wrong count of services up: %d\n", wrongCounts);

    std::vector<double> sorted = seconds;
    std::sort(sorted.begin(), sorted.end());
    const double median = sorted.empty() ? 0.0 : sorted[sorted.size() / 2];
    std::printf(
        "soak-result: cycles=%zu open=%d refused=%d silent=%d timeout_s=%d mean_cycle_s=%.6f "
        "median_cycle_s=%.6f longest_cycle_s=%.3f silent_floor_s=%.1f n_timeout_s=%.1f rss_before_kib=%ld "
        "rss_first_kib=%ld rss_after_kib=%ld fds_before=%d fds_after=%d wrong=%d\n",
        seconds.size(), o.open, o.refused, o.silent, o.timeoutSeconds,
        seconds.empty() ? 0.0 : sum / double(seconds.size()), median, longest, silentFloor, ceiling,
        rssBefore, rssAfterFirst, rssAfter, fdsBefore, fdsAfter, wrongCounts);
    return wrongCounts == 0 && fdsAfter <= fdsBefore ? 0 : 1;
}
