#include "app/CheckCommand.h"

#include "app/CommandLine.h"
#include "core/SettingsStore.h"
#include "core/SocketControl.h"
#include "core/StoreNames.h"
#include "core/clsConverter.h"
#include "monitor/CheckSettings.h"
#include "monitor/LightRules.h"
#include "monitor/PluginReport.h"
#include "monitor/ProbeService.h"

#include <QEventLoop>
#include <chrono>

namespace {

ProbeOutcome ProbeAndWait(SocketControl& socket, const clsConverter& converter, qint16 timeoutMs,
                          const QString& value) {
    std::optional<ProbeOutcome> outcome;
    QEventLoop loop;
    BeginProbeService(socket, converter, timeoutMs, value, [&](const ProbeOutcome& answer) {
        outcome = answer;
        loop.quit();
    });
    if (!outcome) // the answer was not there at once
        loop.exec();
    return *outcome;
}

} // namespace

int RunCheckCommand(std::optional<qint16> timeoutMs, std::FILE* out) {
    using namespace PluginReport;
    if (const QString problem = StoreReadProblem(StoreNames::App); !problem.isEmpty()) {
        PrintText(out, UnknownLine(problem) + QLatin1Char('\n'));
        return Unknown;
    }
    const auto services = GetAllSettings(StoreNames::App, StoreNames::Services);
    if (!services) {
        PrintText(out, NoServicesLine() + QLatin1Char('\n'));
        return Unknown;
    }

    const qint16 timeout = timeoutMs.value_or(ReadTimeoutMs());
    SocketControl socket;
    const clsConverter converter;
    QList<ServiceResult> results;
    for (const auto& [name, value] : *services) {
        const auto started = std::chrono::steady_clock::now();
        // Only the stored value goes to the probe; the host name is the service's label.
        const ProbeOutcome outcome = ProbeAndWait(socket, converter, timeout, value);
        const auto elapsed = std::chrono::steady_clock::now() - started;
        results.append(
            {name, value, outcome, std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count()});
    }

    const Light light = ChooseLight(UpCount(results), static_cast<int>(results.size()),
                                    ReadThreshold(StoreNames::Green, CheckDefaults::GreenPercent),
                                    ReadThreshold(StoreNames::Yellow, CheckDefaults::YellowPercent));
    PrintText(out, Report(light, results));
    return StatusOf(light);
}
