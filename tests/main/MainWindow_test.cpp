#include "tests/main/MainWindowFixture.h"
#include "tests/support/Loopback.h"
#include "ui/main/ExitSignals.h"
#include "ui/main/LightShape.h"

#include <QEventLoop>
#include <QTimer>
#include <csignal>

namespace {

using Panel = MainWindowTest;
using Lifecycle = MainWindowTest;

void Fill(frmMain& w, const QString& host, const QString& address, const QString& port) {
    w.txtHostName()->setText(host);
    w.txtIPAddr()->setText(address);
    w.txtPort()->setText(port);
}

class Board : public MainWindowTest {
protected:
    // `count` services, all up in 5 ms.
    void ShowUp(int count) {
        ServicePairs services;
        for (int i = 0; i < count; ++i)
            services.append({QStringLiteral("host%1").arg(i), QStringLiteral("192.0.2.%1:80").arg(i + 1)});
        ShowResults(services, QList<bool>(count, true), QList<float>(count, 5.0f));
    }
    // Each row as "name time light background top".
    QStringList Rows() const {
        QStringList rows;
        for (int i = 0; i < window->RowCount(); ++i)
            rows << QStringList{window->lblServiceName(i)->text(), window->lblLightBG(i)->text(),
                                window->shpServiceLight(i)->fillColor().name(),
                                window->lblLightBG(i)->palette().color(QPalette::Window).name(),
                                QString::number(window->RowTopTwips(i))}
                        .join(' ');
        return rows;
    }
};

TEST_F(Board, RebuildShowsOneRowPerServiceAsPlainTextOnAlternateTints) {
    frmMain& w = Make();
    ShowUp(5);
    EXPECT_EQ(w.RowCount(), 5);
    ShowResults({{"web", "192.0.2.1:80"}, {"<b>x</b>", "192.0.2.2:22"}}, {true, false}, {0.0f, 1503.0f});
    const QStringList rows{"web 0ms #00ff00 #80c0ff 0",
                           "<b>x</b> 1503ms #ff0000 " + w.BoardBackground().name() + " 255"};
    EXPECT_EQ(Rows(), rows);
    EXPECT_EQ(w.lblServiceName(1)->textFormat(), Qt::PlainText);
    // The name, the light and the time share the row's top.
    EXPECT_EQ(QList<int>({w.lblServiceName(1)->y(), w.lblLightBG(1)->y()}),
              QList<int>(2, w.shpServiceLight(1)->y()));
    EXPECT_EQ(w.lblServiceName(0)->palette().color(QPalette::Window), QColor(128, 192, 255));

    // A cycle that found no services leaves the board and its time as they were.
    const QString statusLine = w.lblLastChecked()->text();
    w.checkState().ServiceList.reset();
    w.checkState().LastCheckTime = QDateTime(QDate(2030, 1, 1), QTime(1, 0));
    w.DisplayServiceStatus();
    EXPECT_EQ(Rows(), rows);
    EXPECT_EQ(w.lblLastChecked()->text(), statusLine);
}

TEST_F(Board, ScrollBarMovesTheRows) {
    frmMain& w = Make();
    w.show();
    ShowUp(130);
    EXPECT_EQ(w.RowTopTwips(129), -255);
    w.VScroll1()->setValue(3);
    EXPECT_DOUBLE_EQ(w.RowTopTwips(3), 34.819);
    EXPECT_DOUBLE_EQ(w.RowTopTwips(129), 126 * 255 + 34.819);
    EXPECT_LT(w.lblServiceName(2)->geometry().bottom(), 0);
}

TEST_F(Board, RowClickFillsThePanelFromTheLastCycle) {
    frmMain& w = Make();
    w.show();
    ShowResults({{"first", "192.0.2.1:21"}, {"second", "192.0.2.5:22"}, {"db", "192.0.2.10:8080"}},
                QList<bool>(3, true), QList<float>(3, 5.0f));
    Click(w.lblLightBG(2));
    EXPECT_EQ(QStringList({w.txtHostName()->text(), w.txtIPAddr()->text(), w.txtPort()->text()}),
              QStringList({"db", "192.0.2.10", "8080"}));
    // A row whose service is gone, or a click during a check, changes nothing.
    w.checkState().ServiceList = ServicePairs{{"only", "192.0.2.9:9"}};
    w.lblServiceName_Click(2);
    w.checkState().blnCheckInProgress = true;
    Click(w.lblServiceName(0));
    EXPECT_EQ(w.txtHostName()->text(), "db");
}

TEST_F(Board, WindowSnapsBackToItsMinimumAndStoresItsSize) {
    frmMain& w = Make();
    w.show();
    w.SetOuterSizeTwips({4000, 5000});
    w.ArrangeControls();
    EXPECT_EQ(w.OuterSizeTwips(), (BoardLayout::OuterSize{5535, 6720}));
    // Stored once the resize has ended, not on every layout on the way.
    EXPECT_EQ(Stored(StoreNames::Settings, StoreNames::MainFormHeight), "");
    ASSERT_TRUE(
        QTest::qWaitFor([] { return Stored(StoreNames::Settings, StoreNames::MainFormHeight) == "6720"; }));
    w.SetOuterSizeTwips({6000, 7200});
    QCoreApplication::processEvents();
    w.hide(); // or when the window hides
    EXPECT_EQ(Stored(StoreNames::Settings, StoreNames::MainFormWidth), "6000");
    EXPECT_EQ(w.pctStatus()->width(), w.twips().X(6000 - 360));
}

TEST_F(Board, TrayClickDuringACheckShowsTheWindowAndSaysWhy) {
    frmMain& w = Make();
    w.Tray1().setEventMode(1);
    w.Tray1().Show(true);
    w.checkState().blnCheckInProgress = true;
    backend->press(Tray::MessageLeftPress);
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(Said(), "Currently checking services. Please wait | Vantrel Local | Ok | None");
}

// A real cycle over two open ports and a closed one, drawn.
TEST_F(Board, RealCycleDrawsThreeServices) {
    OpenListener web, mail;
    const QString local = QStringLiteral("127.0.0.1:%1");
    Store(StoreNames::Services, "intranet", local.arg(web.port()));
    Store(StoreNames::Services, "mail", local.arg(mail.port()));
    Store(StoreNames::Services, "backup", local.arg(ClosedLoopbackPort()));
    Store(StoreNames::Settings, StoreNames::Yellow, "60");
    frmMain& w = Make();
    w.show();
    w.cycle().RefreshStatus(false);
    Settle();
    ASSERT_EQ(w.RowCount(), 3);
    EXPECT_EQ(w.shpServiceLight(0)->fillColor(), QColor(0, 255, 0));
    EXPECT_EQ(w.shpServiceLight(2)->fillColor(), QColor(255, 0, 0));
    EXPECT_EQ(w.StatusImageName(), "YELLOWLED");
    EXPECT_TRUE(w.cmdStatus()->isEnabled());
    EXPECT_FALSE(w.grab().toImage().isNull());
}

TEST_F(Panel, ResolveFillsTheAddressAndAWebServersNameSuggestsItsPort) {
    frmMain& w = Make();
    Fill(w, "localhost", "", "7");
    w.cmdResolve_Click();
    Settle();
    EXPECT_EQ(w.txtIPAddr()->text() + ":" + w.txtPort()->text(), "127.0.0.1:7");
    Fill(w, "www.nowhere.invalid", "keep", "7");
    w.cmdResolve_Click();
    Settle();
    EXPECT_EQ(w.txtIPAddr()->text() + ":" + w.txtPort()->text(), "keep:80");
    EXPECT_EQ(Said(), "Unknown host. | Vantrel Local | Ok | None");
    w.txtHostName()->setText("mail server");
    EXPECT_FALSE(w.cmdResolve()->isEnabled());
}

// Each command validates in a fixed order and says exactly one thing, or asks before it writes.
TEST_F(Panel, CommandsSayTheirMessagesInOrder) {
    using A = MessageBox::Answer;
    OpenListener open;
    const QString up = QString::number(open.port()), down = QString::number(ClosedLoopbackPort());
    const QString ok = " | Vantrel Local | Ok | ", yesNo = " | Vantrel Local | YesNo | None";
    const QString savedThenRefresh = "Service <b>web</b> (10.0.0.5:80) has been saved." + ok + "None\n" +
                                     "Refresh service status display? | Service change | YesNo | None";
    const auto connect = &frmMain::btnConnect_Click, save = &frmMain::cmdSave_Click;
    const struct {
        void (frmMain::*command)();
        QString host, address, port;
        QList<A> answers;
        QString said;
        QString stored; // what the store holds for the host afterwards
    } cases[] = {
        {connect, "", "bad", "abc", {}, "Invalid port" + ok + "None", ""},
        {connect, "", "bad", "80", {}, "Invalid IP Address" + ok + "None", ""},
        {connect, "", "127.0.0.1", up, {}, "Success!" + ok + "Information", ""},
        {connect, "", "127.0.0.1", down, {}, "Failed to connect" + ok + "Exclamation", ""},
        {save, "", "bad", "abc", {}, "Invalid IP address" + ok + "None", ""},
        {save, "", "10.0.0.5", "abc", {}, "Invalid port" + ok + "None", ""},
        {save, "   ", "10.0.0.5", "25", {}, "Invalid host name" + ok + "None", ""},
        {save, "mail", "10.0.0.5", "25", {A::No}, Texts::OverwriteQuestion + yesNo, "10.0.0.1:25"},
        {save, "<b>web</b>", "10.0.0.5", "80", {A::Ok, A::No}, savedThenRefresh, "10.0.0.5:80"},
    };
    Store(StoreNames::Services, "mail", "10.0.0.1:25");
    frmMain& w = Make();
    for (const auto& c : cases) {
        Fill(w, c.host, c.address, c.port);
        for (A answer : c.answers)
            MessageBox::setNextAnswer(answer);
        (w.*c.command)();
        Settle();
        EXPECT_EQ(Said(), c.said.toStdString());
        EXPECT_EQ(Stored(StoreNames::Services, c.host), c.stored) << c.said.toStdString();
        // Only a completed save empties the panel.
        EXPECT_EQ(w.txtIPAddr()->text(), c.answers.size() == 2 ? "" : c.address) << c.said.toStdString();
        EXPECT_TRUE(w.btnConnect()->isEnabled() && w.cmdSave()->isEnabled() &&
                    w.cursor().shape() == Qt::ArrowCursor);
    }
}

TEST_F(Lifecycle, FirstStartSeedsTheStoreAsksAndWaitsInTheTray) {
    frmMain& w = Make();
    MessageBox::setNextAnswer(MessageBox::Answer::No);
    w.Form_Load();
    QStringList seeded;
    for (const QString& key :
         {StoreNames::Green, StoreNames::Yellow, StoreNames::Timeout, StoreNames::Frequency})
        seeded << Stored(StoreNames::Settings, key);
    EXPECT_EQ(seeded, QStringList({"100", "70", "10", "3"}));
    EXPECT_EQ(w.OuterSizeTwips(), (BoardLayout::OuterSize{5535, 6720}));
    EXPECT_EQ(TextsOf(MessageBox::takeRecords()).value(0),
              "No services to be monitored have been defined\r\nWould you like to define one now?");
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(w.Tray1().IsVisible());
    EXPECT_EQ(w.Tray1().EventMode(), 1);
    EXPECT_EQ(w.tray().TrayToolTip(), "Click to see server status");
    EXPECT_TRUE(w.schedule().Timer1().isActive());
}

TEST_F(Lifecycle, DamagedStoreIsReportedBeforeTheFirstCheck) {
    const QString path = home.storeFolder() + "/vantrel.conf";
    ASSERT_TRUE(QDir().mkpath(home.storeFolder()));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("[Settings]\nTimeout=10\nnot an entry\n") > 0);
    file.close();
    frmMain& w = Make();
    MessageBox::setNextAnswer(MessageBox::Answer::Ok);
    MessageBox::setNextAnswer(MessageBox::Answer::No);
    w.Form_Load();
    const QStringList aside = QDir(home.storeFolder()).entryList({"vantrel.conf.damaged-*"}, QDir::Files);
    ASSERT_EQ(aside.size(), 1);
    // The question about services comes from the first check, so the report came before it.
    EXPECT_EQ(
        TextsOf(MessageBox::takeRecords()).mid(0, 2),
        QStringList({"The settings file " + path +
                         " was damaged (line 3: no '=' or a bad escape in the key).\n"
                         "The program goes on with what could be read from it: 0 services and 1 setting; "
                         "1 line could not be read.\nA copy of the damaged file was kept as:\n" +
                         home.storeFolder() + "/" + aside.first(),
                     "No services to be monitored have been defined\r\nWould you like to define one now?"}));
    EXPECT_EQ(Stored(StoreNames::Settings, StoreNames::Timeout), "10");
}

TEST_F(Lifecycle, StoredSizeIsRestored) {
    Store(StoreNames::Settings, StoreNames::MainFormHeight, "7200");
    Store(StoreNames::Settings, StoreNames::MainFormWidth, "6000");
    Store(StoreNames::Services, "none", QStringLiteral("127.0.0.1:%1").arg(ClosedLoopbackPort()));
    frmMain& w = Make();
    w.Form_Load();
    EXPECT_EQ(w.OuterSizeTwips(), (BoardLayout::OuterSize{6000, 7200}));
    EXPECT_EQ(Said(), "");
    EXPECT_EQ(w.StatusImageName(), "REDLED");
}

TEST_F(Lifecycle, WithoutANotificationAreaTheWindowStaysReachable) {
    frmMain& w = Make(false);
    MessageBox::setNextAnswer(MessageBox::Answer::No);
    w.Form_Load();
    EXPECT_TRUE(w.isVisible());
    w.close();
    QCoreApplication::processEvents();
    EXPECT_TRUE(w.isVisible() && w.isMinimized());
}

TEST_F(Lifecycle, ExitDuringAQuestionBoxEndsCleanly) {
    frmMain& w = Make();
    int unloaded = 0, boxes = 0;
    QObject::connect(&w, &frmMain::unloaded, [&] { ++unloaded; });
    MessageBox::setAnswerer([&](const MessageBox::Record&) {
        ++boxes;
        w.mnuExit->trigger();
        return MessageBox::Answer::Yes; // would show the window, were the program not ending
    });
    w.Form_Load();
    EXPECT_EQ(boxes, 1);
    EXPECT_EQ(unloaded, 1);
    EXPECT_FALSE(w.isVisible() || w.Tray1().IsVisible() || w.schedule().Timer1().isActive());
    EXPECT_EQ(backend->calls.last().operation, RecordingTrayBackend::Operation::Remove);
    EXPECT_FALSE(w.checkState().blnCheckInProgress);
}

TEST_F(Lifecycle, ExitDuringAManualCheckEndsItAtOnceAndDropsTheAnswer) {
    SilentPeer silent;
    frmMain& w = Make();
    w.Tray1().Show(true);
    Fill(w, "", "127.0.0.1", QString::number(silent.port()));
    w.checkState().TimeoutMs = 30000;
    w.btnConnect_Click();
    ASSERT_TRUE(w.panel().IsWaiting());
    w.Unload();
    EXPECT_FALSE(w.panel().IsWaiting() || w.objSocket().IsBusy());
    EXPECT_EQ(Said(), "") << "no outcome is reported for an abandoned check";
    EXPECT_FALSE(w.Tray1().IsVisible());
}

TEST_F(Lifecycle, TerminationSignalUnloads) {
    frmMain& w = Make();
    ExitSignals exitSignals;
    QObject::connect(&exitSignals, &ExitSignals::exitRequested, &w, &frmMain::Unload);
    QEventLoop loop;
    QObject::connect(&w, &frmMain::unloaded, &loop, &QEventLoop::quit);
    QTimer::singleShot(10000, &loop, [&] { loop.exit(1); }); // only a broken handler waits this long
    ASSERT_EQ(::raise(SIGTERM), 0);
    EXPECT_EQ(loop.exec(), 0);
}

} // namespace
