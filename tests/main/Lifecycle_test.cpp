#include "tests/main/MainWindowFixture.h"
#include "tests/support/Loopback.h"
#include "ui/main/ExitSignals.h"

#include <QEventLoop>
#include <QLoggingCategory>
#include <QTimer>
#include <csignal>

namespace {

using Lifecycle = MainWindowTest;
using Operation = RecordingTrayBackend::Operation;

const QString NoServicesQuestion = QStringLiteral("No services to be monitored have been defined\r\n"
                                                  "Would you like to define one now?");

// Collects the "vantrel.tray" lines while alive.
class TrayLogCapture {
public:
    TrayLogCapture() {
        s_lines.clear();
        QLoggingCategory::setFilterRules(QStringLiteral("vantrel.tray.info=true"));
        m_previous = qInstallMessageHandler(&TrayLogCapture::handler);
    }
    ~TrayLogCapture() {
        qInstallMessageHandler(m_previous);
        QLoggingCategory::setFilterRules(QString());
    }
    static QStringList lines() { return s_lines; }

private:
    static void handler(QtMsgType, const QMessageLogContext& context, const QString& message) {
        if (context.category && QByteArray(context.category) == "vantrel.tray")
            s_lines << message;
    }
    static inline QStringList s_lines;
    QtMessageHandler m_previous = nullptr;
};

TEST_F(Lifecycle, FirstStartSeedsAsksAndWaitsInTheTray) {
    TrayLogCapture log;
    frmMain& w = Make();
    MessageBox::setNextAnswer(MessageBox::Answer::No);
    w.Form_Load();

    EXPECT_EQ(Stored(StoreNames::Settings, StoreNames::Green), QStringLiteral("100"));
    EXPECT_EQ(Stored(StoreNames::Settings, StoreNames::Yellow), QStringLiteral("70"));
    EXPECT_EQ(Stored(StoreNames::Settings, StoreNames::Timeout), QStringLiteral("10"));
    EXPECT_EQ(Stored(StoreNames::Settings, StoreNames::Frequency), QStringLiteral("3"));
    EXPECT_EQ(Stored(StoreNames::Settings, StoreNames::MainFormHeight), QStringLiteral("6720"));
    EXPECT_EQ(Stored(StoreNames::Settings, StoreNames::MainFormWidth), QStringLiteral("5535"));
    EXPECT_EQ(w.OuterSizeTwips(), (BoardLayout::OuterSize{5535, 6720}));

    const QStringList texts = TextsOf(MessageBox::takeRecords());
    ASSERT_EQ(texts.size(), 2);
    EXPECT_EQ(texts[0], NoServicesQuestion);
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(w.Tray1().IsVisible());
    EXPECT_EQ(w.Tray1().EventMode(), 1);
    EXPECT_TRUE(w.schedule().Timer1().isActive());
    EXPECT_TRUE(w.cmdStatus->isEnabled());
    ASSERT_FALSE(backend->calls.isEmpty());
    EXPECT_EQ(backend->calls.first().operation, Operation::Add);
    EXPECT_EQ(w.TrayToolTip(), QStringLiteral("Click to see server status"));
    ASSERT_FALSE(log.lines().isEmpty());
    EXPECT_EQ(log.lines().first(),
              QStringLiteral("shown image=PROGRAM tooltip=\"Click to see server status\""));
}

TEST_F(Lifecycle, StoredSizeIsRestored) {
    Store(StoreNames::Settings, StoreNames::MainFormHeight, QStringLiteral("7200"));
    Store(StoreNames::Settings, StoreNames::MainFormWidth, QStringLiteral("6000"));
    Store(StoreNames::Services, QStringLiteral("none"),
          QStringLiteral("127.0.0.1:%1").arg(ClosedLoopbackPort()));
    frmMain& w = Make();
    w.Form_Load();
    EXPECT_EQ(w.OuterSizeTwips(), (BoardLayout::OuterSize{6000, 7200}));
    EXPECT_TRUE(MessageBox::takeRecords().isEmpty());
    EXPECT_EQ(w.StatusImageName(), QStringLiteral("REDLED"));
}

TEST_F(Lifecycle, CloseBoxHidesOrMinimisesWithoutATray) {
    frmMain& w = Make();
    w.show();
    w.close();
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(w.Tray1().IsVisible());

    window.reset();
    frmMain& bare = Make(false);
    MessageBox::setNextAnswer(MessageBox::Answer::No);
    bare.Form_Load();
    EXPECT_TRUE(bare.isVisible()) << "without a notification area the window is shown at start-up";
    bare.close();
    QCoreApplication::processEvents();
    EXPECT_TRUE(bare.isVisible());
    EXPECT_TRUE(bare.isMinimized());
    bare.showNormal();
    bare.showMinimized();
    QCoreApplication::processEvents();
    EXPECT_TRUE(bare.isVisible());
}

TEST_F(Lifecycle, ExitDuringTheFirstQuestionEndsCleanly) {
    frmMain& w = Make();
    int unloaded = 0;
    QObject::connect(&w, &frmMain::unloaded, [&] { ++unloaded; });
    int boxes = 0;
    MessageBox::setAnswerer([&](const MessageBox::Record&) {
        ++boxes;
        w.mnuExit->trigger();
        return MessageBox::Answer::Yes; // would show the window, were the program not ending
    });
    w.Form_Load();
    EXPECT_EQ(boxes, 1);
    EXPECT_EQ(unloaded, 1);
    EXPECT_FALSE(w.isVisible());
    EXPECT_FALSE(w.Tray1().IsVisible());
    EXPECT_EQ(backend->calls.last().operation, Operation::Remove);
    EXPECT_FALSE(w.checkState().blnCheckInProgress);
    EXPECT_FALSE(w.schedule().Timer1().isActive());
}

TEST_F(Lifecycle, ExitDuringAManualCheckReturnsAtOnce) {
    SilentPeer silent;
    frmMain& w = Make();
    w.Tray1().Show(true);
    w.txtIPAddr->setText(QStringLiteral("127.0.0.1"));
    w.txtPort->setText(QString::number(silent.port()));
    int unloaded = 0;
    QObject::connect(&w, &frmMain::unloaded, [&] { ++unloaded; });
    w.checkState().TimeoutMs = 30000;
    bool waitedForTheTimeOut = false;
    QTimer::singleShot(5000, &w, [&] { waitedForTheTimeOut = true; });
    // Delivered by the event loop the check waits in.
    QTimer::singleShot(0, &w, &frmMain::Unload);
    w.btnConnect_Click();
    EXPECT_FALSE(waitedForTheTimeOut);
    EXPECT_EQ(unloaded, 1);
    EXPECT_TRUE(MessageBox::takeRecords().isEmpty()) << "no outcome is reported for an abandoned check";
    EXPECT_FALSE(w.Tray1().IsVisible());
}

TEST_F(Lifecycle, TerminationSignalUnloads) {
    frmMain& w = Make();
    w.Tray1().Show(true);
    ExitSignals exitSignals;
    ASSERT_TRUE(exitSignals.isInstalled());
    QObject::connect(&exitSignals, &ExitSignals::exitRequested, &w, &frmMain::Unload);
    QEventLoop loop;
    QObject::connect(&w, &frmMain::unloaded, &loop, &QEventLoop::quit);
    QTimer::singleShot(10000, &loop, [&] { loop.exit(1); }); // only a broken handler waits this long
    ASSERT_EQ(::raise(SIGTERM), 0);
    EXPECT_EQ(loop.exec(), 0);
    EXPECT_FALSE(w.Tray1().IsVisible());
}

} // namespace
