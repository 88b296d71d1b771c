// Whatever is typed into the options dialog: nothing fails, nothing typed is interpreted (the list
// shows it as typed and Edit gives it back unchanged), and the services already stored survive.
#include "OptionsFixture.h"

#include <QListWidget>

namespace {

const QString kLong(10000, u'h');
const QString kHugeNumber(400, u'9');
const QString kInvalidPort = QStringLiteral("Invalid port number");
const QStringList kBoxes{"txtHostName", "txtIP1", "txtIP2", "txtIP3", "txtIP4", "txtPort"};

QString WithNul() {
    return QStringLiteral("a") + QChar(u'\0') + QStringLiteral("b");
}

struct Typed {
    const char* name;
    QString host, ip1, ip2, ip3, ip4, port;
    QString refusal; // empty: the service is saved
};

void PrintTo(const Typed& typed, std::ostream* os) {
    *os << typed.name;
}

Typed Host(const char* name, const QString& host, const QString& refusal = QString()) {
    return {name, host, "10", "0", "0", "1", "80", refusal};
}
Typed Address(const char* name, const QString& ip1, const QString& ip2, const QString& ip4, bool valid) {
    return {name, "web", ip1, ip2, "0", ip4, "80", valid ? QString() : Texts::InvalidIPAddress};
}
Typed Port(const char* name, const QString& port, bool valid) {
    return {name, "web", "10", "0", "0", "1", port, valid ? QString() : kInvalidPort};
}

class HostileServicesInput : public OptionsFixture, public ::testing::WithParamInterface<Typed> {
protected:
    const ServicePairs kStored{{"A", "10.0.0.1:80"}, {"B", "10.0.0.2:22"}, {"C", "10.0.0.3:25"}};

    void SetUp() override {
        OptionsFixture::SetUp();
        for (const auto& [key, value] : kStored)
            Store(StoreNames::Services, key, value);
        Open();
    }
    QListWidget* List() const { return Child<QListWidget>("lstServices"); }
};

TEST_P(HostileServicesInput, IsSavedAsTypedOrRefusedAndStoredServicesStay) {
    const Typed& in = GetParam();
    Click("btnAdd");
    const QStringList texts{in.host, in.ip1, in.ip2, in.ip3, in.ip4, in.port};
    for (int i = 0; i < kBoxes.size(); ++i)
        Box(kBoxes[i])->setText(texts[i]);
    Click("btnSave");

    const QString value = in.ip1 + u'.' + in.ip2 + u'.' + in.ip3 + u'.' + in.ip4 + u':' + in.port;
    const QString expected = in.refusal.isEmpty() ? Texts::ServiceSaved(in.host, value) : in.refusal;
    EXPECT_EQ(Messages(), QStringList{expected});

    ServicePairs stored = kStored;
    if (in.refusal.isEmpty())
        stored.append({in.host, value});
    EXPECT_EQ(GetAllSettings(StoreNames::App, StoreNames::Services), stored);
    ASSERT_EQ(List()->count(), stored.size());
    if (!in.refusal.isEmpty())
        return;
    // The list line is the text as typed, and Edit takes it apart into exactly the typed pieces.
    EXPECT_EQ(List()->item(3)->text(), in.host + u' ' + value);
    List()->setCurrentRow(3);
    Click("btnEdit");
    for (int i = 0; i < kBoxes.size(); ++i)
        EXPECT_EQ(Box(kBoxes[i])->text(), texts[i]) << kBoxes[i].toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Typed, HostileServicesInput,
    ::testing::Values(
        Host("LongHost", kLong), Host("MarkupBold", "<b>x</b>"), Host("MarkupImage", "<img src=x>"),
        Host("Tab", "a\tb"), Host("CrLf", "a\r\nb"), Host("Control", "\x01"), Host("Nul", WithNul()),
        Host("RightToLeftOverride", QString::fromUtf8("\u202Eevil\u202C")),
        Host("RightToLeftScript", QString::fromUtf8("\u05E9\u05E8\u05EA \u0645\u0632\u0648\u062F")),
        Host("LooksLikeAnEntry", "a 1.2.3.4:5"), Host("OnlyWhitespace", "\t\r\n ", Texts::InvalidHostName),
        Address("FirstOctet0", "0", "0", "1", false), Address("FirstOctet1", "1", "0", "1", true),
        Address("FirstOctet223", "223", "255", "255", true), Address("FirstOctet224", "224", "0", "1", false),
        Address("Octet256", "10", "256", "1", false), Address("OctetMinus1", "10", "0", "-1", false),
        Address("OctetFraction", "10", "0", "80.5", false),
        Address("OctetHuge", "10", kHugeNumber, "1", false), Address("OctetLong", kLong, "0", "1", false),
        Address("OctetMarkup", "<b>1</b>", "0", "1", false),
        Address("OctetNul", "1" + QString(QChar(u'\0')), "0", "1", false),
        Address("OctetArabicIndicDigit", QString::fromUtf8("\u0661"), "0", "1", false),
        Port("Port0", "0", false), Port("Port1", "1", true), Port("Port65535", "65535", true),
        Port("Port65536", "65536", false), Port("PortMinus1", "-1", false),
        Port("PortFraction", "80.5", true), Port("PortHuge", kHugeNumber, false),
        Port("PortLong", kLong, false), Port("PortEmpty", "", false), Port("PortMarkup", "<i>80</i>", false),
        Port("PortExponent", "8e1", false)),
    [](const ::testing::TestParamInfo<Typed>& info) { return std::string(info.param.name); });

TEST_F(OptionsFixture, HostileNamesToResolveAreUnknownAndChangeNothing) {
    Store(StoreNames::Services, "A", "10.0.0.1:80");
    Open();
    Click("btnAdd");
    for (const QString& name : {kLong, QStringLiteral("<b>x</b>"), QStringLiteral("a\r\nb"), WithNul(),
                                QString::fromUtf8("\u202Eevil\u202C")}) {
        Box("txtHostName")->setText(name + ".invalid"); // a reserved domain: never a real lookup
        Box("txtIP1")->setText("keep");
        Click("cmdResolve");
        EXPECT_EQ(Messages(), QStringList{Texts::UnknownHost});
        EXPECT_EQ(Box("txtIP1")->text(), "keep");
    }
    EXPECT_EQ(Stored(StoreNames::Services), QStringList{"A 10.0.0.1:80"});
}

TEST_F(OptionsFixture, HostileTimeoutsAreRefusedAndTheStoredOneStays) {
    Store(StoreNames::Settings, StoreNames::Timeout, "7");
    Open();
    for (const QString& text :
         {kLong, kHugeNumber, QStringLiteral("<b>5</b>"), QStringLiteral("5\t"), QString("5") + QChar(u'\0'),
          QString::fromUtf8("\u0665"), QStringLiteral("-1"), QStringLiteral("30.5"), QStringLiteral("31"),
          QStringLiteral("0x1F")}) {
        Box("txtTimeout")->setText(text);
        EXPECT_FALSE(dialog->ApplySettings()) << text.left(20).toStdString();
        EXPECT_EQ(Messages().size(), 1);
        EXPECT_EQ(GetSetting(StoreNames::App, StoreNames::Settings, StoreNames::Timeout), "7");
    }
}

} // namespace
