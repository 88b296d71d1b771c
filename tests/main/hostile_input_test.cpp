// Whatever is typed into the quick-check panel: nothing fails, nothing typed is interpreted (the
// board and the panel show it as typed), and the services already stored survive. Only addresses
// are stored here, never probed, except 127.0.0.1.
#include "tests/main/MainWindowFixture.h"
#include "tests/support/Loopback.h"

namespace {

const QString kLong(10000, u'h');
const QString kHugeNumber(400, u'9');
const QString kInvalidPort = QStringLiteral("Invalid port");
const ServicePairs kStored{{"A", "10.0.0.1:80"}, {"B", "10.0.0.2:22"}, {"C", "10.0.0.3:25"}};

QString WithNul(const QString& before, const QString& after) {
    return before + QChar(u'\0') + after;
}

const QStringList kHostileHosts{kLong,
                                QStringLiteral("<b>x</b>"),
                                QStringLiteral("<img src=x>"),
                                QStringLiteral("a\tb"),
                                QStringLiteral("a\r\nb"),
                                QStringLiteral("\x01"),
                                WithNul("a", "b"),
                                QString::fromUtf8("\u202Eevil\u202C"),
                                QString::fromUtf8("\u05E9\u05E8\u05EA \u0645\u0632\u0648\u062F"),
                                QStringLiteral("a 1.2.3.4:5"),
                                QStringLiteral("&amp; &#60;")};

struct Typed {
    const char* name;
    QString host, address, port;
    QString refusal; // empty: the service is saved
};

void PrintTo(const Typed& typed, std::ostream* os) {
    *os << typed.name;
}

Typed Address(const char* name, const QString& address, bool valid) {
    return {name, "web", address, "80", valid ? QString() : Texts::InvalidIPAddress};
}
Typed Port(const char* name, const QString& port, bool valid) {
    return {name, "web", "10.0.0.9", port, valid ? QString() : kInvalidPort};
}

class HostilePanelInput : public MainWindowTest, public ::testing::WithParamInterface<Typed> {};

TEST_P(HostilePanelInput, IsSavedAsTypedOrRefusedAndStoredServicesStay) {
    const Typed& in = GetParam();
    for (const auto& [key, value] : kStored)
        Store(StoreNames::Services, key, value);
    frmMain& w = Make();
    w.txtHostName->setText(in.host);
    w.txtIPAddr->setText(in.address);
    w.txtPort->setText(in.port);
    // "No" to every question: a refresh would probe the stored addresses.
    MessageBox::setAnswerer([](const MessageBox::Record& r) {
        return r.buttons == MessageBox::Buttons::YesNo ? MessageBox::Answer::No : MessageBox::Answer::Ok;
    });
    w.cmdSave_Click();

    const QString value = in.address + u':' + in.port;
    const QStringList texts = TextsOf(MessageBox::takeRecords());
    ServicePairs stored = kStored;
    if (in.refusal.isEmpty()) {
        EXPECT_EQ(texts.value(0), Texts::ServiceSaved(in.host, value));
        stored.append({in.host, value});
    } else {
        EXPECT_EQ(texts, QStringList{in.refusal});
        EXPECT_EQ(w.txtHostName->text(), in.host); // the boxes keep what was refused
        EXPECT_EQ(w.txtIPAddr->text(), in.address);
        EXPECT_EQ(w.txtPort->text(), in.port);
    }
    EXPECT_EQ(GetAllSettings(StoreNames::App, StoreNames::Services), stored);
}

std::vector<Typed> Cases() {
    std::vector<Typed> cases{
        {"OnlyWhitespace", "\t\r\n ", "10.0.0.9", "80", Texts::InvalidHostName},
        Address("FirstOctet0", "0.1.2.3", false),
        Address("FirstOctet1", "1.0.0.0", true),
        Address("FirstOctet223", "223.255.255.255", true),
        Address("FirstOctet224", "224.0.0.1", false),
        Address("Octet256", "10.0.0.256", false),
        Address("OctetMinus1", "10.0.0.-1", false),
        Address("OctetFraction", "10.0.0.80.5", false),
        Address("OctetHuge", "10.0.0." + kHugeNumber, false),
        Address("AddressLong", kLong, false),
        Address("AddressMarkup", "<b>10.0.0.1</b>", false),
        Address("AddressNul", WithNul("10.0.0.1", ""), false),
        Address("LeadingBlank", " 10.0.0.1", false),
        Address("ArabicIndicDigit", QString::fromUtf8("\u0661\u0660.0.0.1"), false),
        Port("Port0", "0", false),
        Port("Port1", "1", true),
        Port("Port65535", "65535", true),
        Port("Port65536", "65536", false),
        Port("PortMinus1", "-1", false),
        Port("PortFraction", "80.5", true),
        Port("PortHuge", kHugeNumber, false),
        Port("PortEmpty", "", false),
        Port("PortMarkup", "<i>80</i>", false),
        Port("PortNul", WithNul("80", ""), false),
    };
    for (int i = 0; i < kHostileHosts.size(); ++i)
        cases.push_back({"", kHostileHosts[i], "10.0.0.9", "80", QString()});
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Typed, HostilePanelInput, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<Typed>& info) {
                             return *info.param.name ? std::string(info.param.name)
                                                     : "HostileHost" + std::to_string(info.index);
                         });

// The names go through a real cycle on loopback to the board, back into the panel by a click on
// their row, and into a manual check.
TEST_F(MainWindowTest, HostileNamesAreShownAsTypedOnTheBoardAndInThePanel) {
    const int closed = ClosedLoopbackPort();
    const QString value = QStringLiteral("127.0.0.1:%1").arg(closed);
    for (const QString& host : kHostileHosts)
        Store(StoreNames::Services, host, value);
    frmMain& w = Make();
    w.show();
    w.cycle().RefreshStatus(false);
    ASSERT_EQ(w.RowCount(), kHostileHosts.size());
    for (int i = 0; i < kHostileHosts.size(); ++i) {
        EXPECT_EQ(w.lblServiceName(i)->text(), kHostileHosts[i]) << i;
        EXPECT_EQ(w.lblServiceName(i)->textFormat(), Qt::PlainText) << i;
        w.lblServiceName_Click(i);
        EXPECT_EQ(w.txtHostName->text(), kHostileHosts[i]) << i;
        EXPECT_EQ(w.txtIPAddr->text() + u':' + w.txtPort->text(), value) << i;
        w.btnConnect_Click();
        EXPECT_EQ(TextsOf(MessageBox::takeRecords()), QStringList{QStringLiteral("Failed to connect")}) << i;
    }
    EXPECT_EQ(GetAllSettings(StoreNames::App, StoreNames::Services)->size(), kHostileHosts.size());
}

} // namespace
