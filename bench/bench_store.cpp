// The store on 1,000 services: GetAllSettings against a plain read of the same file, SaveSetting
// against a bare atomic write of the same bytes, and the cost of a full re-read after another
// process changed the file.
#include "core/SettingsStore.h"
#include "core/StoreFile.h"
#include "core/StoreFormat.h"
#include "tests/support/TempConfigHome.h"

#include <QFile>
#include <QSaveFile>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <memory>

namespace {

const QString App = QStringLiteral("Vantrel");
const QString Services = QStringLiteral("Services");
constexpr int kServices = 1000;

std::unique_ptr<TempConfigHome> g_home;

QByteArray StoreBytes() {
    QFile file(StoreFile::PathFor(App));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void GetAllSettings1000(benchmark::State& state) {
    for (auto _ : state) {
        auto all = GetAllSettings(App, Services);
        benchmark::DoNotOptimize(all);
        if (!all || all->size() != kServices)
            state.SkipWithError("store lost services");
    }
}
BENCHMARK(GetAllSettings1000);

void PlainFileRead(benchmark::State& state) {
    const QString path = StoreFile::PathFor(App);
    for (auto _ : state) {
        QFile file(path);
        (void)file.open(QIODevice::ReadOnly);
        QByteArray bytes = file.readAll();
        benchmark::DoNotOptimize(bytes);
    }
}
BENCHMARK(PlainFileRead);

void ParseStore1000(benchmark::State& state) {
    const QByteArray bytes = StoreBytes();
    for (auto _ : state) {
        ParsedStore parsed = ParseStore(bytes);
        benchmark::DoNotOptimize(parsed);
    }
}
BENCHMARK(ParseStore1000);

void SaveSetting1000(benchmark::State& state) {
    int n = 0;
    for (auto _ : state) {
        // Alternating values, so every call really writes.
        if (!SaveSetting(App, Services, QStringLiteral("host500"),
                         QStringLiteral("10.1.%1.1:80").arg(n++ % 2)))
            state.SkipWithError("SaveSetting failed");
    }
}
BENCHMARK(SaveSetting1000)->Unit(benchmark::kMicrosecond);

void BareSaveFile(benchmark::State& state) {
    const QByteArray bytes = StoreBytes();
    const QString path = StoreFile::Folder() + QStringLiteral("/baseline.conf");
    for (auto _ : state) {
        QSaveFile file(path);
        (void)file.open(QIODevice::WriteOnly);
        file.write(bytes);
        if (!file.commit())
            state.SkipWithError("commit failed");
    }
}
BENCHMARK(BareSaveFile)->Unit(benchmark::kMicrosecond);

// Keeps each benchmark's time per iteration so that the ratios can be printed after the run.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.iterations > 0)
                times[run.benchmark_name()] =
                    run.GetAdjustedRealTime() * benchmark::GetTimeUnitMultiplier(run.time_unit);
        ConsoleReporter::ReportRuns(runs);
    }
    void PrintRatio(const char* what, const char* baseline) const {
        const auto a = times.find(what);
        const auto b = times.find(baseline);
        if (a != times.end() && b != times.end() && b->second > 0)
            std::printf("%-20s / %-15s = %8.2f\n", what, baseline, a->second / b->second);
    }
    std::map<std::string, double> times; // seconds per iteration
};

} // namespace

int main(int argc, char** argv) {
    g_home = std::make_unique<TempConfigHome>();
    for (int i = 0; i < kServices; ++i)
        if (!SaveSetting(App, Services, QStringLiteral("host%1").arg(i),
                         QStringLiteral("10.%1.%2.1:%3").arg(i / 256).arg(i % 256).arg(1000 + i))) {
            std::fprintf(stderr, "could not fill the store: %s\n", qPrintable(LastStoreError()));
            return 1;
        }

    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nRatios (time per call against the baseline measured in this run):\n");
    reporter.PrintRatio("GetAllSettings1000", "PlainFileRead");
    reporter.PrintRatio("ParseStore1000", "PlainFileRead");
    reporter.PrintRatio("SaveSetting1000", "BareSaveFile");
    benchmark::Shutdown();
    g_home.reset();
    return 0;
}
