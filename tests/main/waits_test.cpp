// Nothing the user opens or does while the program waits on the network holds the wait up or changes
// where its answer goes; real boxes are left open here, as a user leaves them.
#include "tests/main/MainWindowFixture.h"
#include "tests/support/GatedResolver.h"
#include "tests/support/Loopback.h"
#include "ui/about/frmAbout.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QMessageBox>
#include <QSessionManager>
#include <QTimer>
#include <cstddef>

namespace {

void CloseAllDialogs() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* dialog = qobject_cast<QDialog*>(widget); dialog && dialog->isVisible())
            dialog->reject();
}

// Real message boxes for one test; whatever is still open at its end is closed. A box that waits in a
// loop of its own would hold the test itself: after a while it is closed, so the test fails, not hangs.
struct RealBoxes {
    RealBoxes() {
        MessageBox::enableTestMode(false);
        QTimer::singleShot(20000, &guard, CloseAllDialogs);
    }
    ~RealBoxes() {
        CloseAllDialogs();
        MessageBox::enableTestMode(true);
    }
    QObject guard;
};

QMessageBox* OpenBox(const QWidget& parent, const QString& text) {
    for (QMessageBox* box : parent.findChildren<QMessageBox*>())
        if (box->isVisible() && box->text() == text)
            return box;
    return nullptr;
}

using Waits = MainWindowTest;

TEST_F(Waits, BoxesLeftOpenDuringACheckHoldNothing) {
    SilentPeer silent;
    OpenListener web;
    Store(StoreNames::Services, "silent", QStringLiteral("127.0.0.1:%1").arg(silent.port()));
    Store(StoreNames::Services, "web", QStringLiteral("127.0.0.1:%1").arg(web.port()));
    Store(StoreNames::Settings, StoreNames::Timeout, "1");
    frmMain& w = Make();
    RealBoxes real;
    w.Form_Load();
    ASSERT_TRUE(w.checkState().blnCheckInProgress) << "the first check waits on the silent service";

    // A click on the icon during the check, then the about box; both stay open.
    backend->press(Tray::MessageLeftPress);
    w.mnuAbout->trigger();
    QMessageBox* note = OpenBox(w, "Currently checking services. Please wait");
    auto* about = w.findChild<frmAbout*>();
    ASSERT_TRUE(note && about && about->isVisible());
    EXPECT_EQ(note->windowTitle(), "Vantrel Local");
    EXPECT_EQ(note->standardButtons(), QMessageBox::Ok);
    EXPECT_EQ(note->icon(), QMessageBox::NoIcon);

    // Two services and a time-out of one second: the check ends within twice that and a slack.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.checkState().blnCheckInProgress; }, 2 * 1000 + 3000));
    EXPECT_TRUE(note->isVisible() && about->isVisible());
    EXPECT_EQ(w.checkState().ServiceUp, (QList<bool>{false, true}));
    const float silentMs = w.checkState().ResponseTime.value(0);
    EXPECT_GE(silentMs, 990);
    EXPECT_LE(silentMs, 1000 + 2000) << "the time the probe took, not the time the boxes stayed open";

    // Closed again, the next check runs.
    note->accept();
    about->accept();
    const QDateTime firstCheck = w.checkState().LastCheckTime;
    w.cmdStatus()->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.checkState().blnCheckInProgress; }, 2 * 1000 + 3000));
    EXPECT_GT(w.checkState().LastCheckTime, firstCheck);
}

TEST_F(Waits, ALookupAnswersOnlyThePanelThatAskedAndClosingDropsIt) {
    frmMain& w = Make();
    w.Tray1().Show(true);
    w.show();
    ShowResults({{"other", "192.0.2.9:9"}}, {true}, {5.0f});
    auto panel = [&] {
        return w.txtHostName()->text() + ' ' + w.txtIPAddr()->text() + ':' + w.txtPort()->text();
    };
    auto commandsEnabled = [&] {
        return QList<bool>{w.cmdStatus()->isEnabled(), w.Tools->menuAction()->isEnabled(),
                           w.cmdSave()->isEnabled(), w.btnConnect()->isEnabled(),
                           w.cboPortLookup()->isEnabled()};
    };
    {
        GatedResolver slow;
        w.txtHostName()->setText("www.slow.example");
        w.cmdResolve_Click();
        ASSERT_TRUE(w.panel().IsWaiting());
        // Nothing may change where the answer goes: not typing, not a row, not a check.
        QTest::keyClicks(w.txtHostName(), "x");
        ClickRow(0);
        EXPECT_EQ(commandsEnabled(), QList<bool>(5, false));
        EXPECT_FALSE(w.cycle().CanStart());
        slow.Open("192.0.2.7");
        Settle();
        EXPECT_EQ(panel(), "www.slow.example 192.0.2.7:80");
        EXPECT_EQ(commandsEnabled(), QList<bool>(5, true));
    }
    GatedResolver never;
    w.txtHostName()->setText("gone.example");
    w.cmdResolve_Click();
    ASSERT_TRUE(w.panel().IsWaiting());
    w.close();
    EXPECT_FALSE(w.panel().IsWaiting() || w.objSocket().IsBusy());
    // The dropped lookup answers "not found" now; a second lookup released with it shows when.
    SocketControl other;
    other.BeginLookup("also.example", [] {});
    never.Open(QString());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !other.IsBusy(); }, 5000));
    QCoreApplication::processEvents();
    EXPECT_EQ(Said(), "") << "no \"Unknown host.\" for a lookup nobody waits for";
    EXPECT_EQ(panel(), "gone.example 192.0.2.7:80");
}

// A log-off request may still be cancelled: it saves and the program stays. The session's end comes
// as the application's quit event, and ends the program even with the window shown on a desktop
// without a notification area, where the window refuses to close (it minimises instead).
TEST_F(Waits, ALogOffRequestOnlySavesAndTheQuitEnds) {
    frmMain& w = Make(false);
    int unloaded = 0;
    QObject::connect(&w, &frmMain::unloaded, [&] { ++unloaded; });
    w.Form_Load();
    Settle();
    w.show();
    w.resize(w.width() + 30, w.height());
    // The session manager itself is not consulted by the program.
    alignas(QSessionManager) std::byte placeholder[sizeof(QSessionManager)];
    ASSERT_TRUE(
        QMetaObject::invokeMethod(qApp, "commitDataRequest", Qt::DirectConnection,
                                  Q_ARG(QSessionManager&, *reinterpret_cast<QSessionManager*>(placeholder))));
    EXPECT_EQ(unloaded, 0);
    EXPECT_TRUE(w.Tray1().IsVisible());
    EXPECT_EQ(Stored(StoreNames::Settings, StoreNames::MainFormWidth),
              QString::number(w.OuterSizeTwips().width));

    QEvent quit(QEvent::Quit);
    QCoreApplication::sendEvent(qApp, &quit);
    EXPECT_EQ(unloaded, 1);
    EXPECT_FALSE(w.Tray1().IsVisible());
    EXPECT_FALSE(w.isVisible());
}

// At login the panel may come up after the program: the wait ends as soon as the desktop has one,
// or when the limit has passed without one.
TEST_F(Waits, TheWaitForANotificationAreaEndsWhenOneAppearsOrAtTheLimit) {
    frmMain& w = Make();
    for (const int appearsOnAsk : {3, 0}) {
        int asked = 0;
        QList<bool> settled;
        const QMetaObject::Connection watch = QObject::connect(&w.tray(), &MainTray::notificationAreaSettled,
                                                               &w, [&](bool found) { settled << found; });
        const auto limit = appearsOnAsk ? std::chrono::milliseconds(20000) : std::chrono::milliseconds(300);
        QElapsedTimer waited;
        waited.start();
        w.tray().WaitForNotificationArea([&] { return ++asked == appearsOnAsk; }, limit);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !settled.isEmpty(); }, 25000));
        QTest::qWait(3 * int(MainTray::AreaPollInterval.count())); // asks no more once settled
        EXPECT_EQ(settled, QList<bool>{appearsOnAsk != 0});
        if (appearsOnAsk) {
            EXPECT_EQ(asked, appearsOnAsk);
        } else {
            EXPECT_GE(waited.elapsed(), 300);
        }
        QObject::disconnect(watch);
    }
}

} // namespace
