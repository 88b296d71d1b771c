#include "monitor/Schedule.h"

#include "core/Numeric.h"
#include "core/SettingsStore.h"
#include "core/StoreNames.h"
#include "monitor/CheckSettings.h"

#include <cmath>

namespace {
constexpr int FallbackMinutes = kCheckIntervalMinutes.back();
} // namespace

int CheckFrequencyMinutesFor(const QString& frequencySetting) {
    const std::optional<double> value = ParseNumeric(frequencySetting);
    if (!value)
        return FallbackMinutes;
    // Read as a whole number the way the options dialog writes it; halves go to the even neighbour.
    const double index = std::nearbyint(*value);
    if (index < 0 || index >= static_cast<double>(kCheckIntervalMinutes.size()))
        return FallbackMinutes;
    return kCheckIntervalMinutes[static_cast<std::size_t>(index)];
}

Schedule::Schedule(const CheckState& state, const Clock& clock, QObject* parent)
    : QObject(parent), m_state(state), m_clock(clock) {
    connect(&m_timer, &QTimer::timeout, this, &Schedule::Tick);
}

void Schedule::LoadCheckFrequency() {
    QString frequency = GetSetting(StoreNames::App, StoreNames::Settings, StoreNames::Frequency);
    if (frequency.isEmpty()) {
        // Go on with the seed even if the store refused it, rather than with the longest interval.
        SaveSetting(StoreNames::App, StoreNames::Settings, StoreNames::Frequency, CheckDefaults::Frequency);
        frequency = CheckDefaults::Frequency;
    }
    m_minutes = CheckFrequencyMinutesFor(frequency);
    m_timer.setInterval(TickIntervalMs);
    m_timer.start();
}

bool Schedule::IsDue() const {
    if (!m_state.LastCheckSinceBoot)
        return true;
    // On the boot clock: a wall clock set back cannot hold the schedule, and time asleep counts.
    return m_clock.SinceBoot() - *m_state.LastCheckSinceBoot > std::chrono::minutes(m_minutes);
}

void Schedule::Tick() {
    if (IsDue())
        emit due();
}
