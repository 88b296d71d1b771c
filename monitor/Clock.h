#pragma once

#include <QDateTime>
#include <chrono>

// Wall time drives the schedule and the "Status as of" line; durations use a monotonic clock so a
// response time is never negative and does not jump at midnight. Tests substitute a settable clock.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime Now() const = 0;
    virtual std::chrono::steady_clock::time_point Monotonic() const = 0;
};

class SystemClock final : public Clock {
public:
    QDateTime Now() const override { return QDateTime::currentDateTime(); }
    std::chrono::steady_clock::time_point Monotonic() const override { return std::chrono::steady_clock::now(); }
};
