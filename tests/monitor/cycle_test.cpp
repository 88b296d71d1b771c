#include "core/SettingsStore.h"
#include "core/SocketControl.h"
#include "core/StoreNames.h"
#include "core/clsConverter.h"
#include "monitor/CheckCycle.h"
#include "monitor/CheckSettings.h"
#include "monitor/ProbeService.h"
#include "monitor/Schedule.h"
#include "tests/monitor/CycleFakes.h"
#include "tests/support/Loopback.h"
#include "tests/support/TempConfigHome.h"

#include <QLoggingCategory>
#include <QTimer>
#include <cmath>
#include <gtest/gtest.h>

namespace {
const QString Question =
    QStringLiteral("No services to be monitored have been defined\r\nWould you like to define one now?");
const QString Hint = QStringLiteral(
    "Click on the Vantrel icon in the system tray at any time\r\nto define services to be monitored.");
const QString StartupTip = QStringLiteral("Click to see server status");

QString Summary(int up, int count, int percent) {
    return QStringLiteral("%1 of %2 servers (%3%) are up.\r\n Click to see details.")
        .arg(up)
        .arg(count)
        .arg(percent);
}

QString Loopback(int port) {
    return QStringLiteral("127.0.0.1:%1").arg(port);
}

void Store(const QString& key, const QString& value) {
    ASSERT_TRUE(SaveSetting(StoreNames::App, StoreNames::Settings, key, value));
}

class CheckCycleTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SeedCheckSettings());
        window.toolTip = StartupTip;
    }
    // Whatever path a cycle took, the window ends up unlocked and idle.
    void TearDown() override {
        EXPECT_EQ(window.Count("Lock"), window.Count("Unlock"));
        EXPECT_FALSE(state.blnCheckInProgress);
    }

    void AddService(const QString& host, const QString& value) {
        ASSERT_TRUE(SaveSetting(StoreNames::App, StoreNames::Services, host, value));
    }
    // `up` services on the open listener first, then `down` on a refused port, in stored order.
    void AddServices(int up, int down) {
        for (int i = 0; i < up; ++i)
            AddService(QStringLiteral("up%1").arg(i), Loopback(listener.port()));
        for (int i = 0; i < down; ++i)
            AddService(QStringLiteral("down%1").arg(i), Loopback(closedPort));
    }
    // The calls of the last cycle from the moment the light was shown up to its unlock.
    QStringList AfterLastLight() const {
        qsizetype from = -1;
        for (qsizetype i = 0; i < window.calls.size(); ++i)
            if (window.calls[i].startsWith(QStringLiteral("Status(")))
                from = i + 1;
        if (from < 0)
            return {};
        return window.calls.mid(from, window.calls.lastIndexOf(QStringLiteral("Unlock")) - from);
    }

    TempConfigHome home;
    OpenListener listener;
    const int closedPort = ClosedLoopbackPort();
    RecordingWindow window;
    SocketControl socket;
    SettableClock clock;
    CheckState state;
    CheckCycle cycle{state, window, window, socket, clock};
};

struct LightCase {
    const char* name;
    int up;
    int down;
    const char* green;
    const char* yellow;
    Light light;
    int percent;
};

class LightChoice : public CheckCycleTest, public ::testing::WithParamInterface<LightCase> {};

TEST_P(LightChoice, CountsChoosesTheLightAndSumsUp) {
    const LightCase& c = GetParam();
    AddServices(c.up, c.down);
    Store(StoreNames::Green, QString::fromLatin1(c.green));
    Store(StoreNames::Yellow, QString::fromLatin1(c.yellow));

    cycle.CheckServices(true);

    const int count = c.up + c.down;
    EXPECT_EQ(state.UpCount, c.up);
    EXPECT_EQ(state.ServiceCount, count);
    EXPECT_EQ(state.CurrentLight, c.light);
    EXPECT_EQ(state.PercentUp, c.percent);
    EXPECT_TRUE(window.calls.contains(QStringLiteral("Status(%1)").arg(static_cast<int>(c.light))));
    EXPECT_EQ(window.toolTip, Summary(c.up, count, c.percent));
    ASSERT_EQ(state.ServiceUp.size(), count);
    for (int i = 0; i < count; ++i) {
        EXPECT_EQ(state.ServiceUp[i], i < c.up) << i;
        EXPECT_GE(state.ResponseTime[i], 0.0f);
        EXPECT_EQ(state.ResponseTime[i], std::floor(state.ResponseTime[i]));
    }
    EXPECT_EQ(state.CurrentServiceIndex, -1);
}

INSTANTIATE_TEST_SUITE_P(
    Table, LightChoice,
    ::testing::Values(LightCase{"ThreeOfFour", 3, 1, "100", "70", LightYellow, 75},
                      LightCase{"AllUp", 4, 0, "100", "70", LightGreen, 100},
                      LightCase{"SevenOfTenOnYellow", 7, 3, "100", "70", LightYellow, 70},
                      LightCase{"FiftyThreeOfHundredOnYellow", 53, 47, "100", "53", LightYellow, 53},
                      LightCase{"OneOfEightHalfDown", 1, 7, "100", "70", LightRed, 12},
                      LightCase{"ThreeOfEightHalfUp", 3, 5, "100", "70", LightRed, 38},
                      LightCase{"YellowZeroNeverRed", 0, 3, "100", "0", LightYellow, 0},
                      LightCase{"GreenZeroAlwaysGreen", 0, 2, "0", "70", LightGreen, 0},
                      LightCase{"UnreadableThresholdsUseDefaults", 3, 1, "abc", "x", LightYellow, 75},
                      LightCase{"UnreadableYellowIsSeventy", 2, 2, "100", "", LightRed, 50}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CheckCycleTest, TooltipsByteForByteAcrossTwoCycles) {
    AddServices(3, 1);
    cycle.CheckServices(true);
    cycle.CheckServices(true);

    EXPECT_EQ(window.toolTipsWritten,
              (QStringList{
                  QStringLiteral("Check in progress"), Summary(3, 4, 75), QStringLiteral("Check in progress"),
                  QStringLiteral("Check in progress\r\nLast check: 3/4(75%) up"), Summary(3, 4, 75)}));
    EXPECT_FALSE(state.FirstCheckPending);
}

struct FlashCase {
    const char* name;
    const char* firstGreen; // 3 of 4 up: "70" gives green, "100" yellow (Yellow 70) or red (Yellow 100)
    const char* secondGreen;
    const char* yellow;
    bool trayVisible;
    const char* sound; // nullptr: absent
    Light flashFrom;   // LightNone: no flash
    bool alarm;
};

class Flashing : public CheckCycleTest, public ::testing::WithParamInterface<FlashCase> {};

TEST_P(Flashing, OnlyWhenTheLightGotWorseAndTheIconShows) {
    const FlashCase& c = GetParam();
    AddServices(3, 1);
    Store(StoreNames::Yellow, QString::fromLatin1(c.yellow));
    Store(StoreNames::Green, QString::fromLatin1(c.firstGreen));
    if (c.sound)
        Store(StoreNames::Sound, QString::fromLatin1(c.sound));
    window.trayVisible = c.trayVisible;

    cycle.CheckServices(true);
    // The first cycle has nothing to compare with.
    const QStringList summary{"Image(status)", "Tip", "Show"};
    EXPECT_EQ(AfterLastLight(), c.trayVisible ? summary : QStringList{});

    Store(StoreNames::Green, QString::fromLatin1(c.secondGreen));
    cycle.CheckServices(true);

    QStringList expected;
    if (c.flashFrom != LightNone)
        for (int i = 0; i < 10; ++i)
            expected << QStringLiteral("Image(%1)").arg(static_cast<int>(c.flashFrom)) << "Show"
                     << "Image(status)"
                     << "Show";
    if (c.alarm)
        expected << "Alarm";
    if (c.trayVisible)
        expected << summary;
    EXPECT_EQ(AfterLastLight(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Flashing,
    ::testing::Values(FlashCase{"GreenToYellowWithAlarm", "70", "100", "70", true, "1", LightGreen, true},
                      FlashCase{"GreenToRedSoundOff", "70", "100", "100", true, "0", LightGreen, false},
                      FlashCase{"SoundNotExactlyOne", "70", "100", "70", true, " 1", LightGreen, false},
                      FlashCase{"SoundAbsent", "70", "100", "70", true, nullptr, LightGreen, false},
                      FlashCase{"YellowToGreen", "100", "70", "70", true, "1", LightNone, false},
                      FlashCase{"RedTwice", "100", "100", "100", true, "1", LightNone, false},
                      FlashCase{"IconHidden", "70", "100", "70", false, "1", LightNone, false}),
    [](const auto& info) { return std::string(info.param.name); });

struct NoServicesCase {
    const char* name;
    bool silent;
    bool answerYes;
    bool exitWhileAsking;
    QStringList expected; // between Lock and Unlock
};

class NoServices : public CheckCycleTest, public ::testing::WithParamInterface<NoServicesCase> {};

TEST_P(NoServices, AsksUnlessSilentAndLeavesTheResultsAlone) {
    const NoServicesCase& c = GetParam();
    window.answerYes = c.answerYes;
    if (c.exitWhileAsking)
        window.whileAsking = [this] { state.blnExitRequested = true; };

    cycle.CheckServices(c.silent);

    ASSERT_FALSE(window.calls.isEmpty());
    EXPECT_EQ(window.calls.first(), "Lock");
    EXPECT_EQ(window.calls.last(), "Unlock");
    const QStringList between = window.calls.mid(1, window.calls.size() - 2);
    QStringList dialogue;
    for (const QString& call : between)
        if (call != "Tip" && call != "Show")
            dialogue << call;
    EXPECT_EQ(dialogue, c.expected);
    EXPECT_EQ(window.questions, c.silent ? QStringList{} : QStringList{Question});
    EXPECT_EQ(window.informed, c.expected.contains("Inform") ? QStringList{Hint} : QStringList{});
    EXPECT_EQ(window.toolTip, StartupTip);
    EXPECT_EQ(state.CurrentLight, LightNone);
    EXPECT_FALSE(state.ServiceList.has_value());
}

INSTANTIATE_TEST_SUITE_P(
    Table, NoServices,
    ::testing::Values(NoServicesCase{"YesShowsTheWindow", false, true, false, {"Ask", "ShowMainWindow"}},
                      NoServicesCase{"NoShowsTheHint", false, false, false, {"Ask", "Inform"}},
                      NoServicesCase{"SilentSaysNothing", true, false, false, {}},
                      NoServicesCase{"ExitWhileAskingSaysNoMore", false, false, true, {"Ask"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CheckCycleTest, AfterTheLastServiceIsGoneTheTooltipKeepsTheLastSummary) {
    AddServices(1, 1);
    cycle.CheckServices(true);
    cycle.CheckServices(true); // shows the "Last check" line while it runs
    ASSERT_TRUE(DeleteSetting(StoreNames::App, StoreNames::Services, "up0"));
    ASSERT_TRUE(DeleteSetting(StoreNames::App, StoreNames::Services, "down0"));

    cycle.CheckServices(true);

    EXPECT_EQ(window.toolTip, Summary(1, 2, 50));
    EXPECT_EQ(state.CurrentLight, LightRed);
    EXPECT_EQ(state.ServiceCount, 2);
    EXPECT_EQ(state.ServiceUp, (QList<bool>{true, false}));
}

TEST_F(CheckCycleTest, NoCycleStartsInsideAnOpenQuestion) {
    Store(StoreNames::Frequency, "0");
    Schedule schedule(state, clock);
    schedule.LoadCheckFrequency();
    QObject::connect(&schedule, &Schedule::due, [this] { cycle.CheckServices(true); });
    bool dueWhileAsking = false;
    window.whileAsking = [&] {
        clock.now = clock.now.addSecs(3600);
        dueWhileAsking = schedule.IsDue();
        schedule.Tick();
        cycle.CheckServices(false);
        cycle.RefreshStatus(false);
    };

    cycle.CheckServices(false);

    EXPECT_TRUE(dueWhileAsking);
    EXPECT_EQ(window.Count("Lock"), 1);
    EXPECT_EQ(window.Count("Ask"), 1);
    EXPECT_EQ(window.Count("ClearBoard"), 0);
}

TEST_F(CheckCycleTest, NoCycleStartsWhileTheSocketWaits) {
    SilentPeer silent;
    bool couldStart = true;
    QTimer::singleShot(50, [&] {
        couldStart = cycle.CanStart();
        cycle.CheckServices(true);
        socket.Abort();
    });
    const clsConverter converter;
    EXPECT_FALSE(ProbeService(socket, converter, 2000, Loopback(silent.port())));
    EXPECT_FALSE(couldStart);
    EXPECT_TRUE(window.calls.isEmpty());
}

TEST_F(CheckCycleTest, ExitDuringAProbeStopsBeforeTheNextOne) {
    SilentPeer silent;
    Store(StoreNames::Timeout, "2");
    AddService("silent", Loopback(silent.port()));
    AddServices(2, 0);
    window.mainWindowVisible = true;
    QTimer::singleShot(50, [this] {
        state.blnExitRequested = true;
        socket.Abort();
    });

    cycle.CheckServices(true);

    // Had the open services been probed after the exit, they would count as up.
    EXPECT_EQ(state.ServiceUp, (QList<bool>{false, false, false}));
    EXPECT_EQ(state.UpCount, 0);
    EXPECT_EQ(window.calls.last(), "Unlock");
    EXPECT_EQ(state.CurrentServiceIndex, -1);
    EXPECT_EQ(state.CurrentLight, LightNone);
    EXPECT_EQ(window.toolTipsWritten, QStringList{QStringLiteral("Check in progress")});
    EXPECT_EQ(window.Count("Display"), 0);

    cycle.RefreshStatus(false); // an ending program starts nothing new
    EXPECT_EQ(window.Count("Lock"), 1);
}

TEST_F(CheckCycleTest, RefreshStatusRebuildsTheBoard) {
    AddServices(1, 0);
    window.mainWindowVisible = true;
    cycle.RefreshStatus(false);
    EXPECT_EQ(window.calls.mid(window.calls.indexOf("Unlock")),
              (QStringList{"Unlock", "Display", "ClearBoard", "Display"}));
}

TEST_F(CheckCycleTest, TimeoutFallsBackAndClamps) {
    const std::pair<const char*, qint16> cases[] = {{"10", 10000}, {"abc", 10000}, {"", 10000},  {"0", 1000},
                                                    {"-3", 1000},  {"45", 30000},  {"2.5", 2500}};
    for (const auto& [text, ms] : cases) {
        Store(StoreNames::Timeout, QString::fromLatin1(text));
        EXPECT_EQ(ReadTimeoutMs(), ms) << text;
    }
}

TEST_F(CheckCycleTest, SeedsInOrderAndKeepsWhatIsStored) {
    TempConfigHome fresh;
    Store(StoreNames::Yellow, "55");
    ASSERT_TRUE(SeedCheckSettings());
    const auto settings = GetAllSettings(StoreNames::App, StoreNames::Settings);
    ASSERT_TRUE(settings.has_value());
    EXPECT_EQ(*settings,
              (QList<QPair<QString, QString>>{{"Yellow", "55"}, {"Green", "100"}, {"Timeout", "10"}}));
}

TEST_F(CheckCycleTest, LogsTheTooltipOnOneLine) {
    static QStringList lines;
    lines.clear();
    QLoggingCategory::setFilterRules(QStringLiteral("vantrel.cycle.info=true"));
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext& context, const QString& message) {
            if (QByteArray(context.category) == "vantrel.cycle")
                lines << message;
        });
    AddServices(3, 1);
    cycle.CheckServices(true);
    qInstallMessageHandler(previous);
    QLoggingCategory::setFilterRules(QString());

    EXPECT_TRUE(
        lines.contains(QStringLiteral(R"(tooltip "3 of 4 servers (75%) are up.\r\n Click to see details.")")))
        << lines.join('\n').toStdString();
}
} // namespace
