#include "monitor/CheckSettings.h"

#include "core/Numeric.h"
#include "core/SettingsStore.h"
#include "core/StoreNames.h"

#include <algorithm>
#include <cmath>

namespace {
QString ReadSetting(const QString& key) {
    return GetSetting(StoreNames::App, StoreNames::Settings, key);
}

bool SeedWhenEmpty(const QString& key, const QString& value) {
    if (!ReadSetting(key).isEmpty())
        return true;
    return SaveSetting(StoreNames::App, StoreNames::Settings, key, value);
}
} // namespace

bool SeedCheckSettings() {
    // Every seed is attempted even when an earlier one failed.
    bool stored = SeedWhenEmpty(StoreNames::Green, CheckDefaults::Green);
    stored = SeedWhenEmpty(StoreNames::Yellow, CheckDefaults::Yellow) && stored;
    stored = SeedWhenEmpty(StoreNames::Timeout, CheckDefaults::Timeout) && stored;
    return stored;
}

qint16 ReadTimeoutMs() {
    return TimeoutMsFromSeconds(
        ParseNumeric(ReadSetting(StoreNames::Timeout)).value_or(CheckDefaults::TimeoutSeconds));
}

qint16 TimeoutMsFromSeconds(double seconds) {
    const double bounded =
        std::clamp(seconds, CheckDefaults::MinTimeoutSeconds, CheckDefaults::MaxTimeoutSeconds);
    // The default rounding mode rounds halves to the even neighbour.
    return static_cast<qint16>(std::nearbyint(bounded * 1000.0));
}

double ReadThreshold(const QString& key, double seededDefault) {
    return ParseNumeric(ReadSetting(key)).value_or(seededDefault);
}

bool ReadAlarmEnabled() {
    return ReadSetting(StoreNames::Sound) == QStringLiteral("1");
}
