// One check cycle over 200 loopback services (half open, half refused) against the same 200 plain
// blocking connect()+close() calls; the cycle should stay within twice the plain calls.
#include "bench/QuietCheckHost.h"
#include "core/SettingsStore.h"
#include "core/SocketControl.h"
#include "core/StoreNames.h"
#include "monitor/CheckCycle.h"
#include "tests/support/Loopback.h"
#include "tests/support/TempConfigHome.h"

#include <QCoreApplication>
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
constexpr int ServicesPerKind = 100;

OpenListener* g_listener = nullptr;
int g_closedPort = 0;

void BM_CheckCycle(benchmark::State& bench) {
    QuietHost host;
    QuietTray tray;
    SocketControl socket;
    SystemClock clock;
    CheckState state;
    CheckCycle cycle(state, host, tray, socket, clock);
    for (auto _ : bench) {
        RunCycle(cycle, state);
        if (state.UpCount != ServicesPerKind)
            bench.SkipWithError("unexpected number of services up");
    }
}

bool RawConnect(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool connected = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    ::close(fd);
    return connected;
}

void BM_RawConnect(benchmark::State& bench) {
    for (auto _ : bench) {
        int up = 0;
        for (int i = 0; i < ServicesPerKind; ++i)
            up += RawConnect(g_listener->port());
        for (int i = 0; i < ServicesPerKind; ++i)
            up += RawConnect(g_closedPort);
        benchmark::DoNotOptimize(up);
    }
}

// Bounded iterations: every one leaves 200 loopback connections in TIME_WAIT. Medians of a few
// repetitions, because the machine is shared and one slow repetition says little.
BENCHMARK(BM_RawConnect)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(30)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_CheckCycle)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(30)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                realTimes[run.run_name.function_name] = run.GetAdjustedRealTime();
                cpuTimes[run.run_name.function_name] = run.GetAdjustedCPUTime();
            }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> realTimes;
    std::map<std::string, double> cpuTimes;
};
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    TempConfigHome home;
    OpenListener listener;
    g_listener = &listener;
    g_closedPort = ClosedLoopbackPort();
    for (int i = 0; i < ServicesPerKind; ++i) {
        SaveSetting(StoreNames::App, StoreNames::Services, QStringLiteral("open%1").arg(i),
                    QStringLiteral("127.0.0.1:%1").arg(listener.port()));
        SaveSetting(StoreNames::App, StoreNames::Services, QStringLiteral("refused%1").arg(i),
                    QStringLiteral("127.0.0.1:%1").arg(g_closedPort));
    }

    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const auto ratio = [](std::map<std::string, double>& times) {
        const double raw = times["BM_RawConnect"];
        return raw > 0 ? times["BM_CheckCycle"] / raw : 0.0;
    };
    std::printf(
        "cycle / raw connect over 200 services, medians: %.2fx real time, %.2fx CPU time (goal: within 2x)\n",
        ratio(reporter.realTimes), ratio(reporter.cpuTimes));
    return 0;
}
