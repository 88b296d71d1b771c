#pragma once

#include <QDateTime>
#include <chrono>
#include <time.h>

// Wall time for the "Status as of" line; durations use a monotonic clock so a response time is never
// negative and does not jump at midnight. The schedule counts on the boot clock, which goes on during
// suspend and which setting the wall clock cannot move back. Tests substitute a settable clock.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime Now() const = 0;
    virtual std::chrono::steady_clock::time_point Monotonic() const = 0;
    virtual std::chrono::nanoseconds SinceBoot() const = 0;
};

class SystemClock final : public Clock {
public:
    QDateTime Now() const override { return QDateTime::currentDateTime(); }
    std::chrono::steady_clock::time_point Monotonic() const override {
        return std::chrono::steady_clock::now();
    }
    std::chrono::nanoseconds SinceBoot() const override {
        timespec now{};
        ::clock_gettime(CLOCK_BOOTTIME, &now);
        return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
    }
};
