#include "tests/monitor/CycleFakes.h"

#include <QEventLoop>
#include <QTimer>

namespace {
const QDateTime Noon(QDate(2026, 3, 2), QTime(12, 0));

class ScheduleTest : public CycleTest {
protected:
    void LoadFrequency(const QString& stored) {
        Store(StoreNames::Frequency, stored);
        schedule.LoadCheckFrequency();
    }
    bool DueAt(const QDateTime& when) {
        clock.now = when;
        return schedule.IsDue();
    }
    // A tick at `when`; the number of cycles started so far.
    int TickAt(const QDateTime& when) {
        clock.now = when;
        schedule.Tick();
        return window.Count("Lock");
    }
};

TEST_F(ScheduleTest, DueOnlyAfterMoreThanTheInterval) {
    state.LastCheckTime = Noon;
    const std::pair<const char*, int> cases[] = {{"0", 5},   {"4", 30},   {" 1 ", 10},
                                                 {"9", 120}, {"-1", 120}, {"x", 120}};
    for (const auto& [stored, minutes] : cases) {
        LoadFrequency(stored);
        const QDateTime end = Noon.addSecs(60 * minutes);
        EXPECT_EQ(QList<bool>({DueAt(end.addMSecs(-1)), DueAt(end), DueAt(end.addMSecs(1))}),
                  QList<bool>({false, false, true}))
            << stored;
    }
    // A clock set back makes nothing due until it has passed the last check again.
    EXPECT_FALSE(DueAt(Noon.addSecs(-3600)));
    EXPECT_FALSE(DueAt(Noon.addDays(-1).addSecs(7201)));
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
    EXPECT_EQ(loop.exec(), 0); // LastCheckTime is null, so the first tick is due
}

// Ticks start a real cycle only when due, and any cycle, a manual one too, restarts the interval.
TEST_F(ScheduleTest, TicksStartCyclesAndAManualCheckRestartsTheInterval) {
    AddServices(1, 0);
    QObject::connect(&schedule, &Schedule::due, [&] { cycle.CheckServices(true); });
    LoadFrequency("0");

    EXPECT_EQ(TickAt(Noon), 1); // no cycle yet in this process
    EXPECT_EQ(TickAt(Noon.addSecs(120)), 1);
    clock.now = Noon.addSecs(180);
    cycle.RefreshStatus(false);
    EXPECT_EQ(QList<int>({TickAt(Noon.addSecs(301)), TickAt(Noon.addSecs(480)),
                          TickAt(Noon.addSecs(480).addMSecs(1))}),
              QList<int>({2, 2, 3}));
    EXPECT_EQ(state.ServiceUp, QList<bool>{true});
}
} // namespace
