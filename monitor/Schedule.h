#pragma once

#include "monitor/CheckState.h"
#include "monitor/Clock.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <array>

// The check intervals in minutes, indexed by the stored Frequency; the options dialog offers them in
// this order. Any Frequency outside the table means the last, longest interval.
inline constexpr std::array<int, 7> kCheckIntervalMinutes{5, 10, 15, 20, 30, 60, 120};

// Minutes between scheduled checks for a stored Frequency text.
int CheckFrequencyMinutesFor(const QString& frequencySetting);

// Timer1 ticks every 10 s; a tick asks for a cycle when strictly more than the interval has passed
// since the last check, measured on the boot clock.
class Schedule : public QObject {
    Q_OBJECT
public:
    static constexpr int TickIntervalMs = 10000;

    Schedule(const CheckState& state, const Clock& clock, QObject* parent = nullptr);

    void LoadCheckFrequency(); // seeds Frequency "3" when empty, reads it, starts the timer
    int CheckFrequencyMinutes() const { return m_minutes; }
    bool IsDue() const; // elapsed > interval
    void Tick();        // what a timer tick does; public so tests drive it without waiting
    QTimer& Timer1() { return m_timer; }

signals:
    void due(); // connect to CheckServices(true); the cycle itself refuses when it cannot start

private:
    const CheckState& m_state;
    const Clock& m_clock;
    QTimer m_timer;
    int m_minutes = 20;
};
