// The probe against a bare blocking connect() + close() to the same listener, in the same run.
#include "monitor/ProbeService.h"
#include "tests/support/Loopback.h"

#include <QCoreApplication>
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace {

OpenListener* listener = nullptr;
int closedPort = 0;

void RawConnect(benchmark::State& state, int port) {
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(static_cast<uint16_t>(port));
    peer.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    for (auto _ : state) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        benchmark::DoNotOptimize(::connect(fd, reinterpret_cast<const sockaddr*>(&peer), sizeof peer));
        ::close(fd);
    }
}

void Probe(benchmark::State& state, int port) {
    SocketControl socket;
    const clsConverter converter;
    const QString service = QStringLiteral("bench host 127.0.0.1:%1").arg(port);
    for (auto _ : state)
        benchmark::DoNotOptimize(ProbeService(socket, converter, 10000, service));
}

void BM_RawOpen(benchmark::State& state) {
    RawConnect(state, listener->port());
}
void BM_ProbeOpen(benchmark::State& state) {
    Probe(state, listener->port());
}
void BM_RawRefused(benchmark::State& state) {
    RawConnect(state, closedPort);
}
void BM_ProbeRefused(benchmark::State& state) {
    Probe(state, closedPort);
}

BENCHMARK(BM_RawOpen)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ProbeOpen)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RawRefused)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ProbeRefused)->Unit(benchmark::kMicrosecond);

// Keeps the console output and remembers each benchmark's time per iteration for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> perIteration;
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && run.iterations > 0)
                perIteration[run.benchmark_name()] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    OpenListener open;
    listener = &open;
    closedPort = ClosedLoopbackPort();
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    auto ratio = [&](const char* probe, const char* raw) {
        const double base = reporter.perIteration[raw];
        return base > 0 ? reporter.perIteration[probe] / base : 0.0;
    };
    std::printf("probe/raw, open port:    %.2fx (goal at most 1.5x)\n", ratio("BM_ProbeOpen", "BM_RawOpen"));
    std::printf("probe/raw, refused port: %.2fx (goal at most 2x)\n",
                ratio("BM_ProbeRefused", "BM_RawRefused"));
    return 0;
}
