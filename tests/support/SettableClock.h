#pragma once

#include "monitor/Clock.h"

#include <QDateTime>
#include <chrono>

// Wall time and boot time set by the test; durations from the real monotonic clock.
class SettableClock : public Clock {
public:
    QDateTime Now() const override { return now; }
    std::chrono::steady_clock::time_point Monotonic() const override {
        return std::chrono::steady_clock::now();
    }
    std::chrono::nanoseconds SinceBoot() const override { return sinceBoot; }
    // Time passing: both clocks move on together.
    void Advance(std::chrono::milliseconds by) {
        now = now.addMSecs(by.count());
        sinceBoot += by;
    }
    QDateTime now = QDateTime(QDate(2026, 3, 2), QTime(12, 0));
    std::chrono::nanoseconds sinceBoot = std::chrono::hours(1);
};
