#pragma once

#include "monitor/Schedule.h"

#include <QString>
#include <array>

// The options dialog's decisions, kept apart from its widgets so they can be tested on their own.
namespace OptionsLogic {

// ---- Services page ----

// One line of the services list: the stored key, one blank, the stored value.
QString ServiceLine(const QString& key, const QString& value);

struct ServiceParts {
    QString host;
    QString ip1, ip2, ip3, ip4;
    QString port;
};

// Takes a list line apart from its right-hand end. The host name is what remains in front of the
// address once the five parts and their five separators are counted off, so blanks at its ends (and
// any dots, colons or blanks inside it) survive untouched.
ServiceParts SplitServiceLine(const QString& line);

enum class ServiceInputError { None, InvalidAddress, InvalidPort, BlankHostName };

struct ServiceInputCheck {
    ServiceInputError error = ServiceInputError::None;
    QString value; // address ":" port, each as typed; set only when error is None
};

// Checks what the user typed on the Services page, address first, then port, then host name.
ServiceInputCheck CheckServiceInput(const ServiceParts& input);

// ---- Settings page ----

// Captions of the check intervals (monitor/Schedule.h), in the same order.
inline constexpr std::array<const char*, kCheckIntervalMinutes.size()> kFrequencyCaptions{
    "Every 5 minutes",  "Every 10 minutes", "Every 15 minutes", "Every 20 minutes",
    "Every 30 minutes", "Every hour",       "Every 2 hours",
};

inline constexpr int kFallbackFrequencyIndex = 2; // "Every 15 minutes"

// The frequency item to select for a stored Frequency text; anything the list cannot show (absent,
// not a number, outside the list) selects the fallback instead of failing.
int FrequencyIndexFor(const QString& stored);

// Threshold lists hold 100 down to 0, so row k reads 100 - k.
inline constexpr int kThresholdRows = 101;
inline constexpr int kGreenFallbackPercent = 100;
inline constexpr int kYellowFallbackPercent = 90;
inline constexpr int kRedFallbackPercent = 50;

inline int PercentForRow(int row) {
    return 100 - row;
}

// The threshold row to select for a stored percentage text. Not numeric (or absent) gives the
// fallback; a number outside 0..100 is clamped to the nearest end of the list.
int ThresholdRowFor(const QString& stored, int fallbackPercent);

// The time-out box shows the stored text as it is, "10" when nothing is stored.
QString TimeoutTextFor(const QString& stored);

enum class TimeoutVerdict { Ok, NotNumeric, NotPlainWhole };

// Exactly the texts 1 to 30, written plainly (no sign, blank, leading zero or fraction), pass.
TimeoutVerdict CheckTimeout(const QString& text);

} // namespace OptionsLogic
