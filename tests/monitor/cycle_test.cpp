#include "tests/monitor/CycleFakes.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <cmath>

namespace {
const QString Question =
    QStringLiteral("No services to be monitored have been defined\r\nWould you like to define one now?");
const QString Hint = QStringLiteral(
    "Click on the Vantrel icon in the system tray at any time\r\nto define services to be monitored.");

QString Summary(int up, int count, int percent) {
    return QStringLiteral("%1 of %2 servers (%3%) are up.\r\n Click to see details.")
        .arg(up)
        .arg(count)
        .arg(percent);
}

QString Status(Light light) {
    return QStringLiteral("Status(%1)").arg(int(light));
}

struct LightCase {
    const char* name;
    int up, down;
    const char *green, *yellow;
    Light light;
    int percent;
};

class LightChoice : public CycleTest, public ::testing::WithParamInterface<LightCase> {};

TEST_P(LightChoice, CountsChoosesTheLightAndSumsUp) {
    const LightCase& c = GetParam();
    AddServices(c.up, c.down);
    Store(StoreNames::Green, c.green);
    Store(StoreNames::Yellow, c.yellow);

    RunCycle();

    EXPECT_EQ(state.ServiceUp, QList<bool>(c.up, true) + QList<bool>(c.down, false));
    EXPECT_EQ(state.CurrentLight, c.light);
    EXPECT_EQ(window.calls.filter("Status("), QStringList{Status(c.light)});
    EXPECT_EQ(window.toolTip, Summary(c.up, c.up + c.down, c.percent));
    for (const float ms : state.ResponseTime)
        EXPECT_TRUE(ms >= 0 && ms == std::floor(ms)) << ms;
}

// Percentages round half to even (12.5 -> 12, 37.5 -> 38); thresholds compare exactly.
INSTANTIATE_TEST_SUITE_P(
    Table, LightChoice,
    ::testing::Values(LightCase{"AllUp", 4, 0, "100", "70", LightGreen, 100},
                      LightCase{"FiftyThreeOfHundredOnYellow", 53, 47, "100", "53", LightYellow, 53},
                      LightCase{"OneOfEight", 1, 7, "100", "70", LightRed, 12},
                      LightCase{"ThreeOfEight", 3, 5, "100", "70", LightRed, 38},
                      LightCase{"YellowZeroNeverRed", 0, 3, "100", "0", LightYellow, 0},
                      LightCase{"GreenZeroAlwaysGreen", 0, 2, "0", "70", LightGreen, 0},
                      LightCase{"UnreadableThresholdsUseDefaults", 2, 2, "abc", "", LightRed, 50}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CycleTest, TwoCyclesInOrderWithTheTooltipsByteForByte) {
    AddServices(3, 1);
    window.mainWindowVisible = true;
    RunCycle();
    cycle.RefreshStatus(true);
    ASSERT_TRUE(QTest::qWaitFor([this] { return !state.blnCheckInProgress; }, 20000));

    const QString yellow = Status(LightYellow);
    EXPECT_EQ(window.calls,
              (QStringList{"Lock",    "Tip",        "Show",          yellow, "Image(status)", "Tip",
                           "Show",    "Unlock",     "Display",       "Lock", "Tip",           "Tip",
                           "Show",    yellow,       "Image(status)", "Tip",  "Show",          "Unlock",
                           "Display", "ClearBoard", "Display"}));
    const QString progress = QStringLiteral("Check in progress");
    EXPECT_EQ(window.toolTipsWritten,
              (QStringList{progress, Summary(3, 4, 75), progress, progress + "\r\nLast check: 3/4(75%) up",
                           Summary(3, 4, 75)}));
}

struct FlashCase {
    const char* name;
    const char* firstGreen; // 3 of 4 up: "70" gives green, "100" yellow (Yellow 70) or red (Yellow 100)
    const char* secondGreen;
    const char* yellow;
    bool trayVisible;
    const char* sound;
    Light flashFrom; // LightNone: no flash
    bool alarm;
};

class Flashing : public CycleTest, public ::testing::WithParamInterface<FlashCase> {};

TEST_P(Flashing, OnlyWhenTheLightGotWorseAndTheIconShows) {
    const FlashCase& c = GetParam();
    AddServices(3, 1);
    Store(StoreNames::Yellow, c.yellow);
    Store(StoreNames::Green, c.firstGreen);
    Store(StoreNames::Sound, c.sound);
    window.trayVisible = c.trayVisible;
    RunCycle(); // the first cycle has nothing to compare with
    Store(StoreNames::Green, c.secondGreen);
    window.calls.clear();
    RunCycle();

    // What follows the light of the second cycle, up to its unlock: the summary, then the flash's
    // first image (the rest follows on its timer) and the alarm.
    QStringList expected;
    if (c.trayVisible)
        expected += {"Image(status)", "Tip", "Show"};
    if (c.flashFrom != LightNone)
        expected += {QStringLiteral("Image(%1)").arg(int(c.flashFrom)), "Show"};
    if (c.alarm)
        expected += "Alarm";
    EXPECT_EQ(window.calls.mid(window.calls.indexOf(Status(state.CurrentLight)) + 1), expected << "Unlock");
    EXPECT_EQ(cycle.Flash().IsActive(), c.flashFrom != LightNone);
    cycle.Flash().Stop();
}

INSTANTIATE_TEST_SUITE_P(
    Table, Flashing,
    ::testing::Values(FlashCase{"GreenToYellowWithAlarm", "70", "100", "70", true, "1", LightGreen, true},
                      FlashCase{"GreenToRedSoundOff", "70", "100", "100", true, "0", LightGreen, false},
                      FlashCase{"SoundNotExactlyOne", "70", "100", "70", true, " 1", LightGreen, false},
                      FlashCase{"YellowToGreen", "100", "70", "70", true, "1", LightNone, false},
                      FlashCase{"IconHidden", "70", "100", "70", false, "1", LightNone, false}),
    [](const auto& info) { return std::string(info.param.name); });

// The flash alternates the previous light and the status image, each long enough to be seen, and
// ends on the status image. A new cycle stops a flash under way on the status image; the program's
// end stops it without touching the icon.
TEST_F(CycleTest, FlashAlternatesVisiblyAndEndsOnTheStatusImage) {
    TrayFlash& flash = cycle.Flash();
    QElapsedTimer elapsed;
    QList<qint64> shownAt;
    window.onShow = [&] { shownAt << elapsed.elapsed(); };
    elapsed.start();
    flash.Start(LightGreen);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !flash.IsActive(); }, 20000));
    QStringList alternations;
    for (int i = 0; i < 10; ++i)
        alternations += {"Image(3)", "Show", "Image(status)", "Show"};
    EXPECT_EQ(window.calls, alternations);
    for (int i = 1; i < shownAt.size(); ++i)
        EXPECT_GE(shownAt[i] - shownAt[i - 1], 150) << "image " << i << " was too short to be seen";

    window.calls.clear();
    flash.Start(LightGreen);
    cycle.CheckServices(true);
    EXPECT_EQ(window.calls.mid(0, 5), (QStringList{"Image(3)", "Show", "Image(status)", "Show", "Lock"}));
    flash.Start(LightYellow);
    window.calls.clear();
    cycle.Stop();
    EXPECT_FALSE(flash.IsActive());
    EXPECT_TRUE(window.calls.isEmpty());
}

struct NoServicesCase {
    const char* name;
    bool silent, answerYes, exitWhileAsking;
    QStringList dialogue, texts;
};

class NoServices : public CycleTest, public ::testing::WithParamInterface<NoServicesCase> {};

TEST_P(NoServices, AsksUnlessSilentAndLeavesTheResultsAlone) {
    const NoServicesCase& c = GetParam();
    window.answerYes = c.answerYes;
    if (c.exitWhileAsking)
        window.whileAsking = [this] { state.blnExitRequested = true; };

    cycle.CheckServices(c.silent);

    EXPECT_EQ(Dialogue(), c.dialogue);
    EXPECT_EQ(window.texts, c.texts);
    EXPECT_EQ(window.toolTip, "Click to see server status"); // as before the cycle
    EXPECT_EQ(state.CurrentLight, LightNone);
}

INSTANTIATE_TEST_SUITE_P(
    Table, NoServices,
    ::testing::Values(
        NoServicesCase{
            "YesShowsTheWindow", false, true, false, {"Lock", "Ask", "ShowMainWindow", "Unlock"}, {Question}},
        NoServicesCase{
            "NoShowsTheHint", false, false, false, {"Lock", "Ask", "Inform", "Unlock"}, {Question, Hint}},
        NoServicesCase{"Silent", true, false, false, {"Lock", "Unlock"}, {}},
        NoServicesCase{"ExitWhileAsking", false, false, true, {"Lock", "Ask", "Unlock"}, {Question}}),
    [](const auto& info) { return std::string(info.param.name); });

// While the question is open nothing starts; the refresh asked for meanwhile runs once it has ended.
TEST_F(CycleTest, NothingStartsWhileTheNoServicesQuestionIsOpen) {
    Store(StoreNames::Frequency, "0");
    schedule.LoadCheckFrequency();
    QObject::connect(&schedule, &Schedule::due, [this] { cycle.CheckServices(true); });
    bool dueWhileAsking = false;
    window.whileAsking = [&] {
        window.whileAsking = nullptr;
        clock.Advance(std::chrono::hours(1));
        dueWhileAsking = schedule.IsDue();
        schedule.Tick();
        cycle.CheckServices(false);
        cycle.RefreshStatus(false);
    };

    cycle.CheckServices(false);
    EXPECT_TRUE(dueWhileAsking);
    EXPECT_EQ(Dialogue(), (QStringList{"Lock", "Ask", "Inform", "Unlock"}));
    ASSERT_TRUE(QTest::qWaitFor([this] { return window.Count("Unlock") == 2; }, 10000));
    EXPECT_EQ(Dialogue().mid(4), (QStringList{"Lock", "Ask", "Inform", "Unlock", "ClearBoard", "Display"}));
}

// Near services answer at once; the cycle still hands the event loop a turn between its slices.
// Meanwhile nothing starts a second cycle, a refresh asked for waits for the end, and the program's
// end stops the cycle before its next slice.
TEST_F(CycleTest, ACycleOfNearServicesYieldsBetweenSlices) {
    AddServices(2, 2);
    window.mainWindowVisible = true;
    cycle.SetSliceBudget(std::chrono::microseconds(0)); // one probe a slice
    int probedWhenTheLoopRan = -1;
    QTimer::singleShot(0, [&] { probedWhenTheLoopRan = state.CurrentServiceIndex; });

    cycle.CheckServices(true);
    ASSERT_TRUE(state.blnCheckInProgress);
    EXPECT_FALSE(cycle.CanStart());
    cycle.RefreshStatus(false);
    cycle.RefreshStatus(true);
    ASSERT_TRUE(QTest::qWaitFor([this] { return window.Count("Unlock") == 2; }, 20000));
    EXPECT_GE(probedWhenTheLoopRan, 0);
    EXPECT_LT(probedWhenTheLoopRan, 3);
    EXPECT_EQ(state.ServiceUp, (QList<bool>{true, true, false, false}));
    EXPECT_EQ(Dialogue().filter(QRegularExpression("^(Lock|Display|ClearBoard)$")),
              (QStringList{"Lock", "Display", "Lock", "Display", "ClearBoard", "Display"}));

    // A stop during the pause between slices: nothing more is probed or shown.
    window.calls.clear();
    cycle.CheckServices(true);
    ASSERT_TRUE(state.blnCheckInProgress);
    cycle.RefreshStatus(false);
    state.blnExitRequested = true;
    cycle.Stop();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_EQ(state.ServiceUp, (QList<bool>{true, false, false, false}));
    EXPECT_EQ(Dialogue(), (QStringList{"Lock", "Unlock"}));
}

TEST_F(CycleTest, ExitDuringAProbeStopsBeforeTheNextOneAndStartsNothingNew) {
    SilentPeer silent;
    Store(StoreNames::Timeout, "2");
    AddService("silent", silent.port());
    AddServices(2, 0);
    window.mainWindowVisible = true;
    cycle.CheckServices(true);
    ASSERT_TRUE(state.blnCheckInProgress);
    // What the program's end does.
    state.blnExitRequested = true;
    cycle.Stop();
    cycle.RefreshStatus(false);

    EXPECT_FALSE(socket.IsBusy());
    // Had the open services been probed after the exit, they would count as up.
    EXPECT_EQ(state.ServiceUp, (QList<bool>{false, false, false}));
    EXPECT_EQ(QList<int>({state.UpCount, state.CurrentServiceIndex, state.CurrentLight}),
              QList<int>({0, -1, LightNone}));
    EXPECT_EQ(Dialogue(), (QStringList{"Lock", "Unlock"}));
    EXPECT_EQ(window.toolTipsWritten, QStringList{"Check in progress"});
}

TEST_F(CycleTest, StoredSettingsFallBackAndSeedInOrder) {
    const std::pair<const char*, qint16> timeouts[] = {
        {"10", 10000}, {"abc", 10000}, {"", 10000}, {"0", 1000}, {"-3", 1000}, {"45", 30000}, {"2.5", 2500}};
    for (const auto& [text, ms] : timeouts) {
        Store(StoreNames::Timeout, text);
        EXPECT_EQ(ReadTimeoutMs(), ms) << text;
    }
    TempConfigHome fresh;
    Store(StoreNames::Yellow, "55");
    ASSERT_TRUE(SeedCheckSettings());
    EXPECT_EQ(GetAllSettings(StoreNames::App, StoreNames::Settings),
              (QList<QPair<QString, QString>>{{"Yellow", "55"}, {"Green", "100"}, {"Timeout", "10"}}));
}
} // namespace
