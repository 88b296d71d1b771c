#include "tests/main/MainWindowFixture.h"
#include "tests/support/Loopback.h"
#include "ui/main/BoardRowDelegate.h"
#include "ui/main/ExitSignals.h"
#include "ui/main/StatusBoardModel.h"

#include <QEventLoop>
#include <QRegularExpression>
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
            services.append({QStringLiteral("host%1").arg(i), QStringLiteral("192.0.2.%1:%1").arg(i + 1)});
        ShowResults(services, QList<bool>(count, true), QList<float>(count, 5.0f));
    }
    QListView* View() const { return window->pctStatus(); }
    QRect RowRect(int row) const { return View()->visualRect(View()->model()->index(row, 0)); }
    // Each row as the board paints it: "name time light band", the colours read from the screen.
    QStringList Rows() const {
        const QImage shot = View()->viewport()->grab().toImage();
        const BoardRowDelegate& delegate = window->board().delegate();
        QStringList rows;
        for (int i = 0; i < window->RowCount(); ++i) {
            const BoardRowDelegate::Parts parts = delegate.RowParts(RowRect(i));
            const QModelIndex index = View()->model()->index(i, 0);
            // The band's colour right of the name, clear of its text; the light's at its centre.
            const QPoint band(parts.name.right() - 1, parts.band.center().y());
            rows << QStringList{index.data().toString(),
                                index.data(StatusBoardModel::TimeTextRole).toString(),
                                shot.pixelColor(parts.light.center()).name(), shot.pixelColor(band).name()}
                        .join(' ');
        }
        return rows;
    }
    std::string PanelText() const {
        return (window->txtHostName()->text() + ' ' + window->txtIPAddr()->text() + ':' +
                window->txtPort()->text())
            .toStdString();
    }
};

TEST_F(Board, RebuildShowsOneRowPerServiceOnAlternateTintsWithTheLightCentred) {
    frmMain& w = Make();
    w.show();
    ShowUp(5);
    EXPECT_EQ(w.RowCount(), 5);
    const QString longName(300, u'w');
    ShowResults({{longName, "192.0.2.1:80"}, {"<b>x</b>", "192.0.2.2:22"}}, {true, false}, {0.0f, 1503.0f});
    const QStringList rows{longName + " 0ms #00ff00 #80c0ff",
                           "<b>x</b> 1503ms #ff0000 " + w.BoardBackground().name()};
    EXPECT_EQ(Rows(), rows);
    const BoardRowDelegate& delegate = w.board().delegate();
    const BoardRowDelegate::Parts parts = delegate.RowParts(RowRect(0));
    EXPECT_LE(std::abs(parts.light.center().y() - parts.band.center().y()), 1);
    // A long name ends in "…" before the light; the tooltip has it whole, as plain text.
    const QString drawn = delegate.NameAsDrawn(View()->fontMetrics(), longName, RowRect(0));
    EXPECT_TRUE(drawn.endsWith(u'…')) << drawn.toStdString();
    EXPECT_LE(View()->fontMetrics().horizontalAdvance(drawn), parts.light.left() - parts.name.left());
    EXPECT_TRUE(View()->model()->index(0, 0).data(Qt::ToolTipRole).toString().contains(longName));
    EXPECT_TRUE(View()->model()->index(1, 0).data(Qt::ToolTipRole).toString().contains("&lt;b&gt;x"));

    // A cycle that found no services leaves the board and its time as they were.
    const QString statusLine = w.lblLastChecked()->text();
    w.checkState().ServiceList.reset();
    w.checkState().LastCheckTime = QDateTime(QDate(2030, 1, 1), QTime(1, 0));
    w.DisplayServiceStatus();
    EXPECT_EQ(Rows(), rows);
    EXPECT_EQ(w.lblLastChecked()->text(), statusLine);
}

// A name with a line break or a direction override can neither spill over its row nor read reversed,
// on the board, in its tooltip or to a screen reader.
TEST_F(Board, ControlCharactersInANameAreShownVisibly) {
    frmMain& w = Make();
    w.show();
    ShowResults({{QStringLiteral("evil\u202Eexe\nnext"), "192.0.2.1:80"}}, {true}, {3.0f});
    const QModelIndex row = View()->model()->index(0, 0);
    EXPECT_EQ(row.data().toString(), "evil\\u202Eexe\\u000Anext");
    EXPECT_TRUE(row.data(Qt::ToolTipRole).toString().contains("evil\\u202Eexe\\u000Anext"));
    EXPECT_TRUE(row.data(Qt::AccessibleTextRole).toString().startsWith("evil\\u202Eexe\\u000Anext: up"));
}

// Tab reaches the board between the panel and the button; the keys move the current row, Enter and
// Space load it into the panel as a click does, and nothing while a check runs.
TEST_F(Board, KeyboardMovesThroughTheRowsAndLoadsOne) {
    frmMain& w = Make();
    w.show();
    ShowUp(130);
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    w.cboPortLookup()->setFocus();
    QTest::keyClick(w.cboPortLookup(), Qt::Key_Tab);
    ASSERT_EQ(w.focusWidget(), View());
    const auto current = [this] { return View()->currentIndex().row(); };
    const auto top = [this] { return View()->indexAt(QPoint(1, 1)).row(); };
    EXPECT_EQ(current(), 0);
    QTest::keyClick(View(), Qt::Key_Down);
    QTest::keyClick(View(), Qt::Key_Down);
    QTest::keyClick(View(), Qt::Key_Return);
    EXPECT_EQ(PanelText(), "host2 192.0.2.3:3");
    QTest::keyClick(View(), Qt::Key_End);
    EXPECT_EQ(current(), 129);
    EXPECT_TRUE(View()->viewport()->rect().contains(RowRect(129)));
    QTest::keyClick(View(), Qt::Key_PageUp);
    EXPECT_LT(current(), 129);
    EXPECT_EQ(top(), current());
    QTest::keyClick(View(), Qt::Key_Space);
    EXPECT_EQ(PanelText(),
              QStringLiteral("host%1 192.0.2.%2:%2").arg(current()).arg(current() + 1).toStdString());
    // One step of the scroll bar is one row.
    View()->verticalScrollBar()->setValue(3);
    View()->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(top(), 4);
    QTest::keyClick(View(), Qt::Key_Home);
    EXPECT_EQ(top(), 0);

    w.checkState().blnCheckInProgress = true;
    QTest::keyClick(View(), Qt::Key_Return);
    w.checkState().blnCheckInProgress = false;
    EXPECT_NE(PanelText(), "host0 192.0.2.1:1");
    QTest::keyClick(View(), Qt::Key_Tab);
    EXPECT_EQ(w.focusWidget(), w.cmdStatus());
    QTest::keyClick(w.cmdStatus(), Qt::Key_Tab);
    EXPECT_EQ(w.focusWidget(), w.lblHyperlink());
    QTest::keyClick(w.lblHyperlink(), Qt::Key_Return);
    EXPECT_EQ(DesktopOpener::takeRequests(), QList<QUrl>{QUrl(frmMain::HyperlinkTarget)});
}

TEST_F(Board, RowClickFillsThePanelFromTheLastCycle) {
    frmMain& w = Make();
    w.show();
    ShowResults({{"first", "192.0.2.1:21"}, {"second", "192.0.2.5:22"}, {"db", "192.0.2.10:8080"}},
                QList<bool>(3, true), QList<float>(3, 5.0f));
    ClickRow(2);
    EXPECT_EQ(PanelText(), "db 192.0.2.10:8080");
    // A row whose service is gone, or a click during a check, changes nothing.
    w.checkState().ServiceList = ServicePairs{{"only", "192.0.2.9:9"}};
    w.lblServiceName_Click(2);
    w.checkState().blnCheckInProgress = true;
    ClickRow(0);
    EXPECT_EQ(PanelText(), "db 192.0.2.10:8080");
}

// A command pressed by keyboard has the focus again when its check is over, so the next key
// presses it again rather than landing on whatever the disabled command handed the focus to.
TEST_F(Board, FocusComesBackToTheCommandThatStartedACheck) {
    OpenListener web;
    const QString port = QString::number(web.port());
    Store(StoreNames::Services, "web", "127.0.0.1:" + port);
    frmMain& w = Make();
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    // While commands are locked the focus waits on the board, where Enter does nothing.
    w.cmdStatus()->setFocus();
    w.LockCommands();
    EXPECT_EQ(w.focusWidget(), View());
    w.UnlockCommands();
    EXPECT_EQ(w.focusWidget(), w.cmdStatus());

    QTest::keyClick(w.cmdStatus(), Qt::Key_Space);
    ASSERT_TRUE(w.checkState().blnCheckInProgress || w.RowCount() == 1);
    Settle();
    EXPECT_EQ(w.RowCount(), 1);
    EXPECT_EQ(w.focusWidget(), w.cmdStatus());

    Fill(w, "web", "127.0.0.1", port);
    w.btnConnect()->setFocus();
    QTest::keyClick(w.btnConnect(), Qt::Key_Space);
    Settle();
    EXPECT_EQ(TextsOf(MessageBox::takeRecords()), QStringList{"Success!"});
    EXPECT_EQ(w.focusWidget(), w.btnConnect());
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
    const StatusBoardModel& model = w.board().model();
    EXPECT_EQ(QList<bool>({model.At(0).up, model.At(1).up, model.At(2).up}),
              QList<bool>({true, true, false}));
    EXPECT_EQ(w.StatusImageName(), "YELLOWLED");
    EXPECT_TRUE(w.cmdStatus()->isEnabled());
    EXPECT_FALSE(w.grab().toImage().isNull());
    // Each row says since when and why, for the pointer and for a screen reader; the row's text stays the
    // name.
    const QRegularExpression downSince("^backup — down since \\d\\d:\\d\\d:\\d\\d \\(connection refused\\)$");
    const QModelIndex backup = model.index(2);
    EXPECT_TRUE(downSince.match(backup.data(Qt::AccessibleDescriptionRole).toString()).hasMatch())
        << backup.data(Qt::AccessibleDescriptionRole).toString().toStdString();
    EXPECT_TRUE(backup.data(Qt::ToolTipRole).toString().contains("down since"));
    EXPECT_TRUE(
        model.index(0).data(Qt::AccessibleDescriptionRole).toString().startsWith("intranet — up since "));
    EXPECT_EQ(backup.data().toString(), "backup");
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
