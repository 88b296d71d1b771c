#include "tests/main/MainWindowFixture.h"
#include "tests/support/Loopback.h"

namespace {

using Panel = MainWindowTest;

void Fill(frmMain& w, const QString& host, const QString& address, const QString& port) {
    w.txtHostName->setText(host);
    w.txtIPAddr->setText(address);
    w.txtPort->setText(port);
}

TEST_F(Panel, ResolveEnabledOnlyForNamesWithoutBlanks) {
    frmMain& w = Make();
    w.txtHostName->setText(QStringLiteral("mail server"));
    EXPECT_FALSE(w.cmdResolve->isEnabled());
    w.txtHostName->setText(QStringLiteral("mailserver"));
    EXPECT_TRUE(w.cmdResolve->isEnabled());
}

struct ResolveCase {
    const char* host;
    const char* portBefore;
    const char* address; // expected; empty when the name is unknown
    const char* portAfter;
};

class Resolve : public MainWindowTest, public ::testing::WithParamInterface<ResolveCase> {};

TEST_P(Resolve, FillsTheAddressAndSuggestsAPort) {
    const ResolveCase& c = GetParam();
    frmMain& w = Make();
    Fill(w, QString::fromLatin1(c.host), QStringLiteral("keep"), QString::fromLatin1(c.portBefore));
    w.cmdResolve_Click();
    const QList<MessageBox::Record> records = MessageBox::takeRecords();
    if (*c.address) {
        EXPECT_EQ(w.txtIPAddr->text(), QString::fromLatin1(c.address));
        EXPECT_TRUE(records.isEmpty());
    } else {
        EXPECT_EQ(w.txtIPAddr->text(), QStringLiteral("keep"));
        EXPECT_EQ(TextsOf(records), QStringList{QStringLiteral("Unknown host.")});
    }
    EXPECT_EQ(w.txtPort->text(), QString::fromLatin1(c.portAfter));
    EXPECT_FALSE(w.objSocket().ResolveOnAssign());
    EXPECT_TRUE(w.cmdStatus->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(Names, Resolve,
                         ::testing::Values(ResolveCase{"localhost", "7", "127.0.0.1", "7"},
                                           ResolveCase{"www.nowhere.invalid", "7", "", "80"},
                                           ResolveCase{"WWW.nowhere.invalid", "7", "", "7"},
                                           ResolveCase{"ftp.nowhere.invalid", "", "", "21"}));

// One command, one message: the order of the tests decides which one is said.
struct MessageCase {
    void (frmMain::*command)();
    const char* host;
    const char* address;
    const char* port; // OPEN and CLOSED stand for loopback ports
    const char* message;
    MessageBox::Icon icon;
};

class PanelMessage : public MainWindowTest, public ::testing::WithParamInterface<MessageCase> {};

TEST_P(PanelMessage, ValidatesInOrderThenActs) {
    OpenListener open;
    const MessageCase& c = GetParam();
    QString port = QString::fromLatin1(c.port);
    port.replace(QStringLiteral("OPEN"), QString::number(open.port()))
        .replace(QStringLiteral("CLOSED"), QString::number(ClosedLoopbackPort()));
    frmMain& w = Make();
    Fill(w, QString::fromLatin1(c.host), QString::fromLatin1(c.address), port);
    (w.*c.command)();
    const QList<MessageBox::Record> records = MessageBox::takeRecords();
    ASSERT_EQ(records.size(), 1);
    EXPECT_EQ(records[0].text, QString::fromLatin1(c.message));
    EXPECT_EQ(records[0].icon, c.icon);
    EXPECT_EQ(records[0].buttons, MessageBox::Buttons::Ok);
    EXPECT_TRUE(w.btnConnect->isEnabled());
    EXPECT_TRUE(w.cmdSave->isEnabled());
    EXPECT_EQ(w.cursor().shape(), Qt::ArrowCursor);
    EXPECT_FALSE(GetAllSettings(StoreNames::App, StoreNames::Services).has_value());
}

using enum MessageBox::Icon;
INSTANTIATE_TEST_SUITE_P(
    Cases, PanelMessage,
    ::testing::Values(
        MessageCase{&frmMain::btnConnect_Click, "", "bad", "abc", "Invalid port", None},
        MessageCase{&frmMain::btnConnect_Click, "", "bad", "80", "Invalid IP Address", None},
        MessageCase{&frmMain::btnConnect_Click, "", "127.0.0.1", "OPEN", "Success!", Information},
        MessageCase{&frmMain::btnConnect_Click, "", "127.0.0.1", "CLOSED", "Failed to connect", Exclamation},
        MessageCase{&frmMain::cmdSave_Click, "", "bad", "abc", "Invalid IP address", None},
        MessageCase{&frmMain::cmdSave_Click, "", "10.0.0.5", "abc", "Invalid port", None},
        MessageCase{&frmMain::cmdSave_Click, "   ", "10.0.0.5", "25", "Invalid host name", None}));

TEST_F(Panel, SaveConfirmsWhatTheStoreHoldsAndOffersARefresh) {
    frmMain& w = Make();
    Fill(w, QStringLiteral("<b>mail</b>"), QStringLiteral("10.0.0.5"), QStringLiteral("25"));
    MessageBox::setNextAnswer(MessageBox::Answer::Ok);
    MessageBox::setNextAnswer(MessageBox::Answer::No);
    w.cmdSave_Click();
    const QList<MessageBox::Record> records = MessageBox::takeRecords();
    ASSERT_EQ(records.size(), 2);
    EXPECT_EQ(records[0].text, QStringLiteral("Service <b>mail</b> (10.0.0.5:25) has been saved."));
    EXPECT_EQ(records[1].text, QStringLiteral("Refresh service status display?"));
    EXPECT_EQ(records[1].title, QStringLiteral("Service change"));
    EXPECT_EQ(records[1].buttons, MessageBox::Buttons::YesNo);
    EXPECT_EQ(Stored(StoreNames::Services, QStringLiteral("<b>mail</b>")), QStringLiteral("10.0.0.5:25"));
    EXPECT_TRUE(w.txtHostName->text().isEmpty());
    EXPECT_TRUE(w.txtIPAddr->text().isEmpty());
    EXPECT_TRUE(w.txtPort->text().isEmpty());
    EXPECT_TRUE(w.isVisible());
}

TEST_F(Panel, OverwriteNeedsConsent) {
    Store(StoreNames::Services, QStringLiteral("mail"), QStringLiteral("10.0.0.1:25"));
    frmMain& w = Make();
    Fill(w, QStringLiteral("mail"), QStringLiteral("10.0.0.5"), QStringLiteral("25"));
    MessageBox::setNextAnswer(MessageBox::Answer::No);
    w.cmdSave_Click();
    const QList<MessageBox::Record> records = MessageBox::takeRecords();
    ASSERT_EQ(records.size(), 1);
    EXPECT_EQ(records[0].text, QStringLiteral("You are about to overwrite an existing entry. Are you sure?"));
    EXPECT_EQ(records[0].buttons, MessageBox::Buttons::YesNo);
    EXPECT_EQ(Stored(StoreNames::Services, QStringLiteral("mail")), QStringLiteral("10.0.0.1:25"));
    EXPECT_EQ(w.txtIPAddr->text(), QStringLiteral("10.0.0.5"));
}

TEST_F(Panel, UnwritableStoreIsReportedNeverConfirmed) {
    frmMain& w = Make();
    // A store folder that cannot be created, whoever runs the test.
    QFile blocker(home.path() + QStringLiteral("/blocker"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/blocker/config")).toUtf8());
    Fill(w, QStringLiteral("mail"), QStringLiteral("10.0.0.5"), QStringLiteral("25"));
    w.cmdSave_Click();
    const QStringList texts = TextsOf(MessageBox::takeRecords());
    ASSERT_EQ(texts.size(), 1);
    EXPECT_TRUE(texts[0].startsWith(QStringLiteral("The change could not be saved: ")))
        << texts[0].toStdString();
    EXPECT_EQ(w.txtHostName->text(), QStringLiteral("mail"));
}

} // namespace
