#pragma once

#include "monitor/Clock.h"

#include <QDateTime>
#include <chrono>

// Wall time set by the test; durations from the real monotonic clock.
class SettableClock : public Clock {
public:
    QDateTime Now() const override { return now; }
    std::chrono::steady_clock::time_point Monotonic() const override {
        return std::chrono::steady_clock::now();
    }
    QDateTime now = QDateTime(QDate(2026, 3, 2), QTime(12, 0));
};
