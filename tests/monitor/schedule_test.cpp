#include "tests/monitor/CycleFakes.h"

#include <QEventLoop>
#include <QTimer>

namespace {
using std::chrono::hours;
using std::chrono::milliseconds;
using std::chrono::minutes;
using std::chrono::seconds;

class ScheduleTest : public CycleTest {
protected:
    void LoadFrequency(const QString& stored) {
        Store(StoreNames::Frequency, stored);
        schedule.LoadCheckFrequency();
    }
    // Is a cycle due once `since` has passed on the boot clock since the last check?
    bool DueAfter(std::chrono::nanoseconds since) {
        clock.sinceBoot = *state.LastCheckSinceBoot + since;
        return schedule.IsDue();
    }
    // A tick after `by` more time; the number of cycles started so far.
    int TickAfter(milliseconds by) {
        clock.Advance(by);
        schedule.Tick();
        return window.Count("Lock");
    }
};

TEST_F(ScheduleTest, DueOnlyAfterMoreThanTheInterval) {
    state.LastCheckSinceBoot = hours(5);
    const std::pair<const char*, int> cases[] = {{"0", 5},   {"4", 30},   {" 1 ", 10},
                                                 {"9", 120}, {"-1", 120}, {"x", 120}};
    for (const auto& [stored, interval] : cases) {
        LoadFrequency(stored);
        EXPECT_EQ(QList<bool>({DueAfter(minutes(interval) - milliseconds(1)), DueAfter(minutes(interval)),
                               DueAfter(minutes(interval) + milliseconds(1))}),
                  QList<bool>({false, false, true}))
            << stored;
    }
}

// The wall clock moves back or forward by a day, or the machine sleeps: the schedule follows the
// time that really passed, and "Status as of" keeps the wall time of the check.
TEST_F(ScheduleTest, FollowsTheBootClockWhateverTheWallClockDoes) {
    AddServices(1, 0);
    QObject::connect(&schedule, &Schedule::due, [&] { cycle.CheckServices(true); });
    LoadFrequency("0");
    ASSERT_EQ(TickAfter(seconds(10)), 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !state.blnCheckInProgress; }, 10000));
    const QDateTime checkedAt = clock.now;
    EXPECT_EQ(state.LastCheckTime, checkedAt);

    clock.now = clock.now.addDays(-1); // set back: the next check still comes five minutes on
    EXPECT_EQ(QList<int>({TickAfter(minutes(5)), TickAfter(milliseconds(1))}), QList<int>({1, 2}));
    clock.now = clock.now.addDays(2); // set forward: nothing is due early
    EXPECT_EQ(TickAfter(seconds(10)), 2);
    clock.sinceBoot += hours(8); // a night asleep counts, though no tick came meanwhile
    EXPECT_EQ(TickAfter(milliseconds(0)), 3);
}

TEST_F(ScheduleTest, AnEmptyFrequencyIsSeededAndTheTimerTicks) {
    schedule.LoadCheckFrequency();
    EXPECT_EQ(schedule.CheckFrequencyMinutes(), 20);
    EXPECT_EQ(GetSetting(StoreNames::App, StoreNames::Settings, StoreNames::Frequency), "3");
    EXPECT_TRUE(schedule.Timer1().isActive());
    EXPECT_EQ(schedule.Timer1().interval(), 10000);

    schedule.Timer1().setInterval(1);
    QEventLoop loop;
    QObject::connect(&schedule, &Schedule::due, &loop, &QEventLoop::quit);
    QTimer::singleShot(5000, &loop, [&] { loop.exit(1); });
    EXPECT_EQ(loop.exec(), 0); // no check yet, so the first tick is due
}

// Ticks start a real cycle only when due, and any cycle, a manual one too, restarts the interval.
TEST_F(ScheduleTest, TicksStartCyclesAndAManualCheckRestartsTheInterval) {
    AddServices(1, 0);
    QObject::connect(&schedule, &Schedule::due, [&] { cycle.CheckServices(true); });
    LoadFrequency("0");

    EXPECT_EQ(TickAfter(seconds(0)), 1); // no cycle yet in this process
    EXPECT_EQ(TickAfter(seconds(120)), 1);
    clock.Advance(seconds(60));
    cycle.RefreshStatus(false);
    EXPECT_EQ(QList<int>({TickAfter(seconds(121)), TickAfter(seconds(179)), TickAfter(milliseconds(1))}),
              QList<int>({2, 2, 3}));
    EXPECT_EQ(state.ServiceUp, QList<bool>{true});
}
} // namespace
