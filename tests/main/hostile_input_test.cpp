// Whatever is typed into the quick-check panel: nothing fails, nothing typed is interpreted, and the
// services already stored survive. Only addresses are stored here, never probed, except 127.0.0.1.
#include "core/VisibleText.h"
#include "tests/main/MainWindowFixture.h"
#include "tests/support/HostileInput.h"
#include "tests/support/Loopback.h"

namespace {

class HostilePanelInput : public MainWindowTest, public ::testing::WithParamInterface<Hostile::Typed> {};

TEST_P(HostilePanelInput, IsSavedAsTypedOrRefusedAndStoredServicesStay) {
    const Hostile::Typed& in = GetParam();
    ServicePairs stored{{"A", "10.0.0.1:80"}, {"B", "10.0.0.2:22"}};
    for (const auto& [key, value] : stored)
        Store(StoreNames::Services, key, value);
    frmMain& w = Make();
    w.txtHostName()->setText(in.host);
    w.txtIPAddr()->setText(in.address);
    w.txtPort()->setText(in.port);
    // "No" to every question: a refresh would probe the stored addresses.
    MessageBox::setAnswerer([](const MessageBox::Record& r) {
        return r.buttons == MessageBox::Buttons::YesNo ? MessageBox::Answer::No : MessageBox::Answer::Ok;
    });
    w.cmdSave_Click();

    const QString value = in.address + u':' + in.port;
    const QStringList texts = TextsOf(MessageBox::takeRecords());
    const QString refusals[] = {Texts::ServiceSaved(in.host, value), Texts::InvalidIPAddress,
                                QStringLiteral("Invalid port"), Texts::InvalidHostName};
    EXPECT_EQ(texts.value(0), refusals[int(in.refused)]);
    if (in.refused == Hostile::Refused::Nothing)
        stored.append({in.host, value});
    else // the boxes keep what was refused
        EXPECT_EQ(QStringList({w.txtHostName()->text(), w.txtIPAddr()->text(), w.txtPort()->text()}),
                  QStringList({in.host, in.address, in.port}));
    EXPECT_EQ(GetAllSettings(StoreNames::App, StoreNames::Services), stored);
}

INSTANTIATE_TEST_SUITE_P(Typed, HostilePanelInput, ::testing::ValuesIn(Hostile::Rows()), Hostile::RowName);

// The names go through a real cycle on loopback to the board (control characters shown, never
// obeyed), back into the panel by a click on their row exactly as stored, and into a manual check.
TEST_F(MainWindowTest, HostileNamesAreShownVisiblyOnTheBoardAndAsTypedInThePanel) {
    const QString value = QStringLiteral("127.0.0.1:%1").arg(ClosedLoopbackPort());
    for (const QString& host : Hostile::Names)
        Store(StoreNames::Services, host, value);
    frmMain& w = Make();
    w.show();
    w.cycle().RefreshStatus(false);
    Settle();
    ASSERT_EQ(w.RowCount(), Hostile::Names.size());
    for (int i = 0; i < Hostile::Names.size(); ++i) {
        EXPECT_EQ(w.board().model().ShownName(i), VisibleText(Hostile::Names[i])) << i;
        w.lblServiceName_Click(i);
        EXPECT_EQ(w.txtHostName()->text() + u' ' + w.txtIPAddr()->text() + u':' + w.txtPort()->text(),
                  Hostile::Names[i] + u' ' + value);
        w.btnConnect_Click();
        Settle();
        EXPECT_EQ(TextsOf(MessageBox::takeRecords()), QStringList{QStringLiteral("Failed to connect")}) << i;
    }
    EXPECT_EQ(GetAllSettings(StoreNames::App, StoreNames::Services)->size(), Hostile::Names.size());
}

} // namespace
