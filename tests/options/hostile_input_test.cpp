// Whatever is typed into the options dialog: nothing fails, nothing typed is interpreted (the list
// shows it as typed and Edit gives it back unchanged), and the services already stored survive.
#include "OptionsFixture.h"
#include "core/VisibleText.h"
#include "tests/support/HostileInput.h"

namespace {

const QStringList kBoxes{"txtHostName", "txtIP1", "txtIP2", "txtIP3", "txtIP4", "txtPort"};

class HostileServicesInput : public OptionsFixture, public ::testing::WithParamInterface<Hostile::Typed> {};

TEST_P(HostileServicesInput, IsSavedAsTypedOrRefusedAndStoredServicesStay) {
    const Hostile::Typed& in = GetParam();
    ServicePairs stored{{"A", "10.0.0.1:80"}, {"B", "10.0.0.2:22"}};
    for (const auto& [key, value] : stored)
        Store(StoreNames::Services, key, value);
    Open();
    Click("btnAdd");
    // The address goes into the four octet boxes; whatever follows a fourth dot stays in the last.
    const QStringList texts{in.host,
                            in.address.section(u'.', 0, 0),
                            in.address.section(u'.', 1, 1),
                            in.address.section(u'.', 2, 2),
                            in.address.section(u'.', 3),
                            in.port};
    for (int i = 0; i < kBoxes.size(); ++i)
        Box(kBoxes[i])->setText(texts[i]);
    Click("btnSave");

    const QString value = in.address + u':' + in.port;
    const QString replies[] = {Texts::ServiceSaved(in.host, value), Texts::InvalidIPAddress,
                               QStringLiteral("Invalid port number"), Texts::InvalidHostName};
    EXPECT_EQ(Messages(), QStringList{replies[int(in.refused)]});
    if (in.refused == Hostile::Refused::Nothing)
        stored.append({in.host, value});
    EXPECT_EQ(GetAllSettings(StoreNames::App, StoreNames::Services), stored);
    auto* list = Child<QListWidget>("lstServices");
    ASSERT_EQ(list->count(), stored.size());
    if (in.refused != Hostile::Refused::Nothing)
        return;
    // The list line is the text as typed, its control characters shown visibly, and Edit takes the
    // stored service apart into exactly the typed pieces.
    EXPECT_EQ(list->item(2)->text(), VisibleText(in.host + u' ' + value));
    list->setCurrentRow(2);
    Click("btnEdit");
    for (int i = 0; i < kBoxes.size(); ++i)
        EXPECT_EQ(Box(kBoxes[i])->text(), texts[i]) << kBoxes[i].toStdString();
}

INSTANTIATE_TEST_SUITE_P(Typed, HostileServicesInput, ::testing::ValuesIn(Hostile::Rows()), Hostile::RowName);

TEST_F(OptionsFixture, HostileNamesToResolveAreUnknownAndChangeNothing) {
    Store(StoreNames::Services, "A", "10.0.0.1:80");
    Open();
    Click("btnAdd");
    for (const QString& name : Hostile::Names) {
        Box("txtHostName")->setText(name + ".invalid"); // a reserved domain: never a real lookup
        Box("txtIP1")->setText("keep");
        Resolve();
        EXPECT_EQ(Messages(), QStringList{Texts::UnknownHost});
        EXPECT_EQ(Box("txtIP1")->text(), "keep");
    }
    EXPECT_EQ(Stored(StoreNames::Services), QStringList{"A 10.0.0.1:80"});
}

} // namespace
