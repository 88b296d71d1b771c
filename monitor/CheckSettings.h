#pragma once

#include <QString>
#include <QtGlobal>

// The check settings as the cycle and the schedule read them. A stored value that is not in the
// program's own form never fails a reader: it falls back to the seeded default.
namespace CheckDefaults {
inline const QString Green = QStringLiteral("100");
inline const QString Yellow = QStringLiteral("70");
inline const QString Timeout = QStringLiteral("10");
inline const QString Frequency = QStringLiteral("3");
inline constexpr double GreenPercent = 100;
inline constexpr double YellowPercent = 70;
inline constexpr double TimeoutSeconds = 10;
inline constexpr double MinTimeoutSeconds = 1;
inline constexpr double MaxTimeoutSeconds = 30;
} // namespace CheckDefaults

// Start-up: stores Green "100", Yellow "70" and Timeout "10", in that order, each only when it reads
// empty. False when one of them could not be stored (the readers fall back to the same defaults).
bool SeedCheckSettings();

// Timeout in milliseconds: not numeric reads as 10 s, anything outside 1..30 s is clamped into it.
qint16 ReadTimeoutMs();
// A time-out in seconds as milliseconds, clamped into 1..30 s like the stored one.
qint16 TimeoutMsFromSeconds(double seconds);
// A Green or Yellow threshold in percent; not numeric reads as `seededDefault`.
double ReadThreshold(const QString& key, double seededDefault);
// The alarm is on exactly when Sound is "1".
bool ReadAlarmEnabled();
