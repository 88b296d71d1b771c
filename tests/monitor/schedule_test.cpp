#include "core/SettingsStore.h"
#include "core/SocketControl.h"
#include "core/StoreNames.h"
#include "monitor/CheckCycle.h"
#include "monitor/Schedule.h"
#include "tests/monitor/CycleFakes.h"
#include "tests/support/Loopback.h"
#include "tests/support/TempConfigHome.h"

#include <QEventLoop>
#include <QTimer>
#include <cctype>
#include <gtest/gtest.h>
#include <string>

namespace {
const QDateTime Noon(QDate(2026, 3, 2), QTime(12, 0));

class ScheduleTest : public ::testing::Test {
protected:
    void StoreFrequency(const QString& value) {
        ASSERT_TRUE(SaveSetting(StoreNames::App, StoreNames::Settings, StoreNames::Frequency, value));
    }
    bool DueAt(const QDateTime& when) {
        clock.now = when;
        return schedule.IsDue();
    }

    TempConfigHome home;
    SettableClock clock;
    CheckState state;
    Schedule schedule{state, clock};
};

struct FrequencyCase {
    const char* stored;
    int minutes;
};

class Frequencies : public ScheduleTest, public ::testing::WithParamInterface<FrequencyCase> {};

TEST_P(Frequencies, DueOnlyAfterMoreThanTheInterval) {
    StoreFrequency(QString::fromLatin1(GetParam().stored));
    schedule.LoadCheckFrequency();
    EXPECT_EQ(schedule.CheckFrequencyMinutes(), GetParam().minutes);
    EXPECT_TRUE(schedule.Timer1().isActive());
    EXPECT_EQ(schedule.Timer1().interval(), 10000);

    state.LastCheckTime = Noon;
    const QDateTime end = Noon.addSecs(60LL * GetParam().minutes);
    EXPECT_FALSE(DueAt(end.addMSecs(-1)));
    EXPECT_FALSE(DueAt(end));
    EXPECT_TRUE(DueAt(end.addMSecs(1)));
}

INSTANTIATE_TEST_SUITE_P(Table, Frequencies,
                         ::testing::Values(FrequencyCase{"0", 5}, FrequencyCase{"1", 10},
                                           FrequencyCase{"2", 15}, FrequencyCase{"3", 20},
                                           FrequencyCase{"4", 30}, FrequencyCase{"5", 60},
                                           FrequencyCase{"6", 120}, FrequencyCase{"9", 120},
                                           FrequencyCase{"-1", 120}, FrequencyCase{"x", 120},
                                           FrequencyCase{" 1 ", 10}, FrequencyCase{"99999", 120}),
                         [](const auto& info) {
                             std::string name = "Stored";
                             for (const char ch : std::string(info.param.stored))
                                 name += std::isalnum(static_cast<unsigned char>(ch)) ? std::string(1, ch)
                                         : ch == '-'                                  ? "Minus"
                                                                                      : "Blank";
                             return name;
                         });

TEST_F(ScheduleTest, EmptyFrequencyIsSeeded) {
    schedule.LoadCheckFrequency();
    EXPECT_EQ(schedule.CheckFrequencyMinutes(), 20);
    EXPECT_EQ(GetSetting(StoreNames::App, StoreNames::Settings, StoreNames::Frequency), "3");
}

TEST_F(ScheduleTest, NothingIsDueWhileTheClockIsBehindTheLastCheck) {
    StoreFrequency("0");
    schedule.LoadCheckFrequency();
    state.LastCheckTime = Noon;
    EXPECT_FALSE(DueAt(Noon.addSecs(-3600)));
    EXPECT_FALSE(DueAt(Noon.addDays(-1).addSecs(301)));
    EXPECT_TRUE(DueAt(Noon.addSecs(301)));
}

// The schedule drives a real cycle: ticks start one only when due, and any cycle restarts the interval.
TEST_F(ScheduleTest, TicksStartCyclesAndAManualCheckRestartsTheInterval) {
    OpenListener listener;
    ASSERT_TRUE(SaveSetting(StoreNames::App, StoreNames::Services, "web",
                            QStringLiteral("127.0.0.1:%1").arg(listener.port())));
    RecordingWindow window;
    SocketControl socket;
    CheckCycle cycle(state, window, window, socket, clock);
    QObject::connect(&schedule, &Schedule::due, [&] { cycle.CheckServices(true); });
    StoreFrequency("0");
    schedule.LoadCheckFrequency();

    const auto tickAt = [&](const QDateTime& when) {
        clock.now = when;
        schedule.Tick();
        return window.Count("Lock");
    };
    EXPECT_EQ(tickAt(Noon), 1); // no cycle yet in this process
    EXPECT_EQ(state.LastCheckTime, Noon);
    EXPECT_EQ(tickAt(Noon.addSecs(120)), 1);

    clock.now = Noon.addSecs(180);
    cycle.RefreshStatus(false);
    EXPECT_EQ(window.Count("Lock"), 2);

    EXPECT_EQ(tickAt(Noon.addSecs(301)), 2);
    EXPECT_EQ(tickAt(Noon.addSecs(480)), 2);
    EXPECT_EQ(tickAt(Noon.addSecs(480).addMSecs(1)), 3);
    EXPECT_EQ(state.ServiceUp, QList<bool>{true});
}

TEST_F(ScheduleTest, TheTimerTicks) {
    schedule.LoadCheckFrequency();
    schedule.Timer1().setInterval(1);
    QEventLoop loop;
    bool due = false;
    QObject::connect(&schedule, &Schedule::due, &loop, [&] {
        due = true;
        loop.quit();
    });
    QTimer::singleShot(5000, &loop, &QEventLoop::quit);
    loop.exec();
    EXPECT_TRUE(due); // LastCheckTime is null, so the first tick is due
}
} // namespace
