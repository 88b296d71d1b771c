#include "tests/main/MainWindowFixture.h"
#include "tests/support/Loopback.h"
#include "ui/main/LightShape.h"

namespace {

ServicePairs Services(int count) {
    ServicePairs services;
    for (int i = 0; i < count; ++i)
        services.append({QStringLiteral("host%1").arg(i), QStringLiteral("192.0.2.%1:80").arg(i + 1)});
    return services;
}

QList<bool> AllUp(int count) {
    return QList<bool>(count, true);
}
QList<float> Times(int count) {
    return QList<float>(count, 5.0f);
}

const QColor TintedRow(128, 192, 255);

using Board = MainWindowTest;

TEST_F(Board, RebuildKeepsExactlyOneRowPerService) {
    frmMain& w = Make();
    ShowResults(Services(5), AllUp(5), Times(5));
    EXPECT_EQ(w.RowCount(), 5);
    ShowResults(Services(2), AllUp(2), Times(2));
    ASSERT_EQ(w.RowCount(), 2);
    EXPECT_EQ(w.lblServiceName(1)->text(), QStringLiteral("host1"));
    EXPECT_EQ(w.lblServiceName(2), nullptr);
    ShowResults(Services(1), AllUp(1), Times(1));
    EXPECT_EQ(w.RowCount(), 1);
    EXPECT_EQ(w.lblLastChecked->text().left(14), QStringLiteral("Status as of: "));
}

TEST_F(Board, RowsShowNameLightTimeAndAlternateTints) {
    frmMain& w = Make();
    ShowResults({{"web", "192.0.2.1:80"}, {"<b>x</b>", "192.0.2.2:22"}, {"mail", "192.0.2.3:25"}},
                {true, false, true}, {0.0f, 1503.0f, 47.0f});
    const QColor board = w.BoardBackground();
    struct Expected {
        const char* name;
        const char* time;
        QColor light;
        QColor background;
    };
    const Expected rows[] = {{"web", "0ms", QColor(0, 255, 0), TintedRow},
                             {"<b>x</b>", "1503ms", QColor(255, 0, 0), board},
                             {"mail", "47ms", QColor(0, 255, 0), TintedRow}};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(w.lblServiceName(i)->text(), QString::fromUtf8(rows[i].name));
        EXPECT_EQ(w.lblServiceName(i)->textFormat(), Qt::PlainText);
        EXPECT_EQ(w.lblLightBG(i)->text(), QString::fromUtf8(rows[i].time));
        EXPECT_EQ(w.shpServiceLight(i)->fillColor(), rows[i].light);
        EXPECT_EQ(w.lblServiceName(i)->palette().color(QPalette::Window), rows[i].background);
        EXPECT_EQ(w.lblLightBG(i)->palette().color(QPalette::Window), rows[i].background);
        EXPECT_EQ(w.RowTopTwips(i), i * 255);
    }
    EXPECT_EQ(w.VScroll1->minimum(), 0);
    EXPECT_EQ(w.VScroll1->maximum(), 5);
}

TEST_F(Board, EmptyResultLeavesTheBoardAsItWas) {
    frmMain& w = Make();
    ShowResults(Services(3), AllUp(3), Times(3));
    const QString statusLine = w.lblLastChecked->text();
    w.checkState().ServiceList.reset();
    w.checkState().LastCheckTime = QDateTime(QDate(2030, 1, 1), QTime(1, 0));
    w.DisplayServiceStatus();
    EXPECT_EQ(w.RowCount(), 3);
    EXPECT_EQ(w.lblLastChecked->text(), statusLine);
}

TEST_F(Board, ScrollBarMovesTheRows) {
    frmMain& w = Make();
    w.show();
    ShowResults(Services(130), AllUp(130), Times(130));
    EXPECT_EQ(w.RowTopTwips(129), -255);
    w.VScroll1->setValue(3);
    EXPECT_DOUBLE_EQ(w.RowTopTwips(3), 34.819);
    EXPECT_EQ(w.RowTopTwips(2), -512);
    EXPECT_DOUBLE_EQ(w.RowTopTwips(129), 126 * 255 + 34.819);
    EXPECT_LT(w.lblServiceName(2)->geometry().bottom(), 0);
}

TEST_F(Board, RowClickFillsThePanelFromTheLastCycle) {
    frmMain& w = Make();
    w.show();
    ShowResults({{"first", "192.0.2.1:21"}, {"second", "192.0.2.5:22"}, {"db", "192.0.2.10:8080"}}, AllUp(3),
                Times(3));
    Click(w.lblLightBG(2));
    EXPECT_EQ(w.txtHostName->text(), QStringLiteral("db"));
    EXPECT_EQ(w.txtIPAddr->text(), QStringLiteral("192.0.2.10"));
    EXPECT_EQ(w.txtPort->text(), QStringLiteral("8080"));
    Click(w.lblServiceName(1));
    EXPECT_EQ(w.txtHostName->text(), QStringLiteral("second"));
    EXPECT_EQ(w.txtPort->text(), QStringLiteral("22"));

    // A row whose service is gone, or a click during a check, changes nothing.
    w.checkState().ServiceList = ServicePairs{{"only", "192.0.2.9:9"}};
    w.lblServiceName_Click(2);
    w.checkState().blnCheckInProgress = true;
    w.lblServiceName_Click(0);
    EXPECT_EQ(w.txtHostName->text(), QStringLiteral("second"));
}

TEST_F(Board, WindowKeepsItsMinimumAndStoresItsSize) {
    frmMain& w = Make();
    w.show();
    w.SetOuterSizeTwips({4000, 5000});
    w.ArrangeControls();
    EXPECT_EQ(w.OuterSizeTwips(), (BoardLayout::OuterSize{5535, 6720}));
    EXPECT_EQ(Stored(StoreNames::Settings, StoreNames::MainFormHeight), QStringLiteral("6720"));
    EXPECT_EQ(Stored(StoreNames::Settings, StoreNames::MainFormWidth), QStringLiteral("5535"));

    w.SetOuterSizeTwips({6000, 7200});
    QCoreApplication::processEvents();
    EXPECT_EQ(Stored(StoreNames::Settings, StoreNames::MainFormWidth), QStringLiteral("6000"));
    EXPECT_EQ(w.pctStatus->width(), TwipsToPixels(6000 - 360, w.logicalDpiX()));

    // Minimising hides the window and remembers nothing.
    ASSERT_TRUE(DeleteSetting(StoreNames::App, StoreNames::Settings, StoreNames::MainFormHeight));
    w.showMinimized();
    w.ArrangeControls();
    QCoreApplication::processEvents();
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(Stored(StoreNames::Settings, StoreNames::MainFormHeight).isEmpty());
}

TEST_F(Board, TrayClickRestoresTheWindowOrRefusesDuringACheck) {
    frmMain& w = Make();
    w.Tray1().setEventMode(1);
    w.Tray1().Show(true);
    w.checkState().blnCheckInProgress = true;
    backend->press(Tray::MessageLeftPress);
    EXPECT_TRUE(w.isVisible());
    const QList<MessageBox::Record> records = MessageBox::takeRecords();
    ASSERT_EQ(records.size(), 1);
    EXPECT_EQ(records[0].text, QStringLiteral("Currently checking services. Please wait"));
    EXPECT_EQ(records[0].title, QStringLiteral("Vantrel Local"));
    EXPECT_EQ(records[0].buttons, MessageBox::Buttons::Ok);
    EXPECT_EQ(records[0].icon, MessageBox::Icon::None);

    w.hide();
    backend->press(Tray::MessageRightPress);
    EXPECT_FALSE(w.isVisible());
    EXPECT_TRUE(MessageBox::takeRecords().isEmpty());
}

TEST_F(Board, HelpAndLinkOpenThroughTheDesktop) {
    frmMain& w = Make();
    w.mnuContents->trigger();
    Click(w.lblHyperlink);
    const QList<QUrl> opened = DesktopOpener::takeRequests();
    ASSERT_EQ(opened.size(), 2);
    EXPECT_TRUE(opened[0].isLocalFile());
    EXPECT_TRUE(opened[0].toLocalFile().endsWith(QStringLiteral("/qorvix.html")));
    EXPECT_EQ(opened[1], QUrl(QStringLiteral("http://www.vantrel.example/?ad=qorvix1")));
}

// A real cycle over two open ports and a closed one, drawn; with VANTREL_MAIN_WINDOW_PNG set the
// picture is also written there (the README shows it).
TEST_F(Board, RealCycleDrawsThreeServices) {
    OpenListener web;
    OpenListener mail;
    const int closed = ClosedLoopbackPort();
    Store(StoreNames::Services, QStringLiteral("intranet"), QStringLiteral("127.0.0.1:%1").arg(web.port()));
    Store(StoreNames::Services, QStringLiteral("mail"), QStringLiteral("127.0.0.1:%1").arg(mail.port()));
    Store(StoreNames::Services, QStringLiteral("backup"), QStringLiteral("127.0.0.1:%1").arg(closed));
    Store(StoreNames::Settings, StoreNames::Yellow, QStringLiteral("60"));
    frmMain& w = Make();
    w.show();
    w.cycle().RefreshStatus(false);
    ASSERT_EQ(w.RowCount(), 3);
    EXPECT_EQ(w.shpServiceLight(2)->fillColor(), QColor(255, 0, 0));
    EXPECT_EQ(w.shpServiceLight(0)->fillColor(), QColor(0, 255, 0));
    EXPECT_EQ(w.StatusImageName(), QStringLiteral("YELLOWLED"));
    EXPECT_TRUE(w.cmdStatus->isEnabled());

    const QImage picture = w.grab().toImage();
    ASSERT_FALSE(picture.isNull());
    const QString target = qEnvironmentVariable("VANTREL_MAIN_WINDOW_PNG");
    if (!target.isEmpty()) {
        EXPECT_TRUE(picture.save(target));
    }
}

} // namespace
