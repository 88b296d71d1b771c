#include "OptionsFixture.h"
#include "core/Texts.h"

#include <QComboBox>
#include <QTest>

namespace {

using Answer = MessageBox::Answer;

class ServicesPageTest : public OptionsFixture {
protected:
    void Type(const QString& host, const QString& ip1, const QString& ip2, const QString& ip3,
              const QString& ip4, const QString& port) const {
        Box("txtHostName")->setText(host);
        Box("txtIP1")->setText(ip1);
        Box("txtIP2")->setText(ip2);
        Box("txtIP3")->setText(ip3);
        Box("txtIP4")->setText(ip4);
        Box("txtPort")->setText(port);
    }
    void SeedThree() const {
        SaveService("A", "10.0.0.1:21");
        SaveService("B", "10.0.0.2:22");
        SaveService("C", "10.0.0.3:23");
    }
};

TEST_F(ServicesPageTest, EmptyStoreShowsAnEmptyListAndHiddenDetails) {
    Open();
    EXPECT_TRUE(ListLines().isEmpty());
    for (const char* name : {"txtHostName", "txtIP1", "txtPort", "cboPortLookup", "cmdResolve", "btnSave"})
        EXPECT_FALSE(Shown(name)) << name;
    EXPECT_TRUE(Shown("lstServices"));
    EXPECT_TRUE(Shown("btnAdd"));

    Click("btnEdit"); // nothing selected: nothing happens
    EXPECT_FALSE(Shown("txtHostName"));
    Click("btnAdd");
    EXPECT_TRUE(Shown("txtHostName"));
    EXPECT_TRUE(Shown("btnSave"));
    EXPECT_TRUE(MessageTexts().isEmpty());
}

TEST_F(ServicesPageTest, ListMirrorsTheStoreAndShowsMarkupAsPlainText) {
    SaveService("zeta", "10.0.0.9:80");
    SaveService("<b>x</b>", "1.2.3.4:80");
    SaveService("alpha", "10.0.0.1:25");
    Open();
    EXPECT_EQ(ListLines(), (QStringList{"zeta 10.0.0.9:80", "<b>x</b> 1.2.3.4:80", "alpha 10.0.0.1:25"}));

    SelectLine(1);
    Click("btnDelete");
    const auto records = MessageBox::takeRecords();
    ASSERT_EQ(records.size(), 1);
    EXPECT_EQ(records[0].text, "Delete the <b>x</b> service?");
    EXPECT_EQ(records[0].buttons, MessageBox::Buttons::YesNo);
    EXPECT_EQ(records[0].title, Texts::AppTitle);
}

TEST_F(ServicesPageTest, EditTakesTheHostNameByLengthKeepingItsBlanks) {
    SaveService(" mail ", "10.0.0.5:25");
    Open();
    SelectLine(0);
    Click("btnEdit");
    EXPECT_TRUE(Shown("txtHostName"));
    EXPECT_EQ(Box("txtHostName")->text(), " mail ");
    EXPECT_EQ(Box("txtIP1")->text(), "10");
    EXPECT_EQ(Box("txtIP2")->text(), "0");
    EXPECT_EQ(Box("txtIP3")->text(), "0");
    EXPECT_EQ(Box("txtIP4")->text(), "5");
    EXPECT_EQ(Box("txtPort")->text(), "25");
    EXPECT_EQ(dialog->EditedHost(), " mail ");
}

TEST_F(ServicesPageTest, EditUnderANewNameRenamesAndMovesTheEntryToTheEnd) {
    SeedThree();
    Open();
    SelectLine(1);
    Click("btnEdit");
    Box("txtHostName")->setText("D");
    Click("btnSave");
    EXPECT_EQ(MessageTexts(), QStringList{"Service D (10.0.0.2:22) has been saved."});
    EXPECT_EQ(StoredServices(), (QStringList{"A 10.0.0.1:21", "C 10.0.0.3:23", "D 10.0.0.2:22"}));
    EXPECT_EQ(ListLines(), StoredServices());
    EXPECT_FALSE(Shown("txtHostName"));
    EXPECT_TRUE(dialog->EditedHost().isEmpty());
}

TEST_F(ServicesPageTest, SavingUnderTheSameNameAsksAndMovesTheEntryToTheEnd) {
    SeedThree();
    Open();
    SelectLine(1);
    Click("btnEdit");
    Box("txtPort")->setText("2222");
    Click("btnSave");
    EXPECT_EQ(MessageTexts(),
              (QStringList{Texts::OverwriteQuestion, "Service B (10.0.0.2:2222) has been saved."}));
    EXPECT_EQ(StoredServices(), (QStringList{"A 10.0.0.1:21", "C 10.0.0.3:23", "B 10.0.0.2:2222"}));
}

TEST_F(ServicesPageTest, OverwriteAnsweredNoChangesNothing) {
    SeedThree();
    Open();
    Click("btnAdd");
    Type("b", "192", "168", "0", "1", "80"); // names compare without regard to case
    MessageBox::setNextAnswer(Answer::No);
    Click("btnSave");
    EXPECT_EQ(MessageTexts(), QStringList{Texts::OverwriteQuestion});
    EXPECT_EQ(StoredServices(), (QStringList{"A 10.0.0.1:21", "B 10.0.0.2:22", "C 10.0.0.3:23"}));
    EXPECT_EQ(ListLines(), StoredServices());
    EXPECT_TRUE(Shown("txtHostName"));
    EXPECT_EQ(Box("txtHostName")->text(), "b");
}

TEST_F(ServicesPageTest, AddDeleteAndClosingForgetTheEditedEntry) {
    SeedThree();
    Open();
    // Edit, then Add a new entry: the edited one stays.
    SelectLine(1);
    Click("btnEdit");
    Click("btnAdd");
    Type("E", "10", "0", "0", "5", "25");
    Click("btnSave");
    EXPECT_EQ(StoredServices(),
              (QStringList{"A 10.0.0.1:21", "B 10.0.0.2:22", "C 10.0.0.3:23", "E 10.0.0.5:25"}));

    // Edit, then Delete answered No.
    SelectLine(0);
    Click("btnEdit");
    MessageBox::setNextAnswer(Answer::No);
    Click("btnDelete");
    EXPECT_TRUE(dialog->EditedHost().isEmpty());

    // Edit, then close the dialog.
    SelectLine(2);
    Click("btnEdit");
    EXPECT_EQ(dialog->EditedHost(), "C");
    dialog->reject();
    EXPECT_TRUE(dialog->EditedHost().isEmpty());
    EXPECT_EQ(StoredServices().size(), 4);
}

struct RefusedCase {
    const char* host;
    const char* ip4;
    const char* port;
    const char* message;
};
void PrintTo(const RefusedCase& c, std::ostream* os) {
    *os << '"' << c.host << "\" octet " << c.ip4 << " port \"" << c.port << '"';
}

class RefusedInputTest : public ServicesPageTest, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(RefusedInputTest, ReportsWritesNothingAndHidesTheDetails) {
    SaveService("kept", "10.0.0.9:9");
    Open();
    Click("btnAdd");
    const RefusedCase& c = GetParam();
    Type(c.host, "10", "0", "0", c.ip4, c.port);
    Click("btnSave");
    EXPECT_EQ(MessageTexts(), QStringList{QString::fromUtf8(c.message)});
    EXPECT_EQ(StoredServices(), QStringList{"kept 10.0.0.9:9"});
    EXPECT_FALSE(Shown("txtHostName"));
    EXPECT_EQ(Box("txtPort")->text(), QString::fromUtf8(c.port)); // typed texts stay in the hidden boxes
}

INSTANTIATE_TEST_SUITE_P(Inputs, RefusedInputTest,
                         ::testing::Values(RefusedCase{"web", "256", "80", "Invalid IP address"},
                                           RefusedCase{"web", "1", "0", "Invalid port number"},
                                           RefusedCase{"web", "1", "65536", "Invalid port number"},
                                           RefusedCase{"web", "1", "", "Invalid port number"},
                                           RefusedCase{"web", "1", "http", "Invalid port number"},
                                           RefusedCase{"", "1", "80", "Invalid host name"},
                                           RefusedCase{"   ", "1", "80", "Invalid host name"}));

TEST_F(ServicesPageTest, PortsUpTo65535AndFractionsAreSavedAsTyped) {
    Open();
    for (const char* port : {"65535", "80.5"}) {
        Click("btnAdd");
        Type(QStringLiteral("h") + port, "10", "0", "0", "1", port);
        Click("btnSave");
    }
    EXPECT_EQ(StoredServices(), (QStringList{"h65535 10.0.0.1:65535", "h80.5 10.0.0.1:80.5"}));
    EXPECT_EQ(MessageTexts(), (QStringList{"Service h65535 (10.0.0.1:65535) has been saved.",
                                           "Service h80.5 (10.0.0.1:80.5) has been saved."}));
}

TEST_F(ServicesPageTest, DeleteAsksAndEmptiesTheBoxesWhateverTheAnswer) {
    SaveService("mail", "10.0.0.5:25");
    Open();
    SelectLine(0);
    MessageBox::setNextAnswer(Answer::No);
    Click("btnDelete");
    EXPECT_EQ(MessageTexts(), QStringList{"Delete the mail service?"});
    EXPECT_EQ(StoredServices(), QStringList{"mail 10.0.0.5:25"});
    for (const char* name : {"txtHostName", "txtIP1", "txtIP2", "txtIP3", "txtIP4", "txtPort"})
        EXPECT_TRUE(Box(name)->text().isEmpty()) << name;

    SelectLine(0);
    Click("btnDelete");
    EXPECT_FALSE(GetAllSettings(StoreNames::App, StoreNames::Services).has_value());
    EXPECT_TRUE(ListLines().isEmpty());
    EXPECT_EQ(MessageTexts(), QStringList{"Delete the mail service?"});

    Click("btnDelete"); // nothing selected: nothing asked
    EXPECT_TRUE(MessageTexts().isEmpty());
}

TEST_F(ServicesPageTest, DuringACycleSaveAndResolveRefuseButDeleteWorks) {
    SaveService("A", "10.0.0.1:21");
    SaveService("B", "10.0.0.2:22");
    Open();
    state.blnCheckInProgress = true;
    Click("btnAdd");
    Type("localhost", "10", "0", "0", "7", "7");
    Click("btnSave");
    Click("cmdResolve");
    EXPECT_EQ(MessageTexts(),
              (QStringList{"Checking services. Please try later", "Checking services. Please try later"}));
    EXPECT_EQ(Box("txtIP1")->text(), "10");
    EXPECT_TRUE(Shown("txtHostName"));
    EXPECT_EQ(StoredServices().size(), 2);

    SelectLine(0);
    Click("btnDelete");
    EXPECT_EQ(StoredServices(), QStringList{"B 10.0.0.2:22"});
}

TEST_F(ServicesPageTest, ResolveFillsTheAddressOrReportsAnUnknownHost) {
    Open();
    Click("btnAdd");
    Type("localhost", "", "", "", "", "80");
    Click("cmdResolve");
    EXPECT_TRUE(MessageTexts().isEmpty());
    EXPECT_EQ(Box("txtIP1")->text(), "127");
    EXPECT_EQ(Box("txtIP2")->text(), "0");
    EXPECT_EQ(Box("txtIP3")->text(), "0");
    EXPECT_EQ(Box("txtIP4")->text(), "1");
    EXPECT_EQ(Box("txtPort")->text(), "80");
    EXPECT_FALSE(dialog->SocketOptions().ResolveOnAssign());

    Box("txtHostName")->setText("no-such-host.invalid");
    Child("txtPort")->setFocus();
    Click("cmdResolve");
    EXPECT_EQ(MessageTexts(), QStringList{"Unknown host."});
    EXPECT_EQ(Box("txtIP1")->text(), "127");
    EXPECT_EQ(Box("txtIP4")->text(), "1");
    EXPECT_EQ(dialog->focusWidget(), Child("txtHostName"));
    EXPECT_FALSE(dialog->SocketOptions().ResolveOnAssign());
}

TEST_F(ServicesPageTest, ChoosingAWellKnownServiceWritesItsPort) {
    Open();
    Click("btnAdd");
    auto* lookup = Child<QComboBox>("cboPortLookup");
    QTest::keyClicks(lookup, "SSH");
    EXPECT_EQ(lookup->currentText(), "SSH");
    EXPECT_EQ(Box("txtPort")->text(), "22");
    QTest::keyClick(lookup, Qt::Key_Down); // Telnet
    EXPECT_EQ(Box("txtPort")->text(), "23");
}

TEST_F(ServicesPageTest, AnUnwritableStoreIsReportedAndNothingIsCalledSaved) {
    SaveService("A", "10.0.0.1:21");
    Open();
    BreakStore();

    SelectLine(0);
    Click("btnDelete");
    Click("btnAdd");
    Type("web", "10", "0", "0", "2", "80");
    Click("btnSave");
    const QStringList texts = MessageTexts();
    ASSERT_EQ(texts.size(), 3);
    EXPECT_EQ(texts[0], "Delete the A service?");
    EXPECT_TRUE(texts[1].startsWith(Texts::StoreWriteFailed(QString()))) << texts[1].toStdString();
    EXPECT_TRUE(texts[2].startsWith(Texts::StoreWriteFailed(QString()))) << texts[2].toStdString();
    for (const QString& text : texts)
        EXPECT_FALSE(text.contains("has been saved"));
}

TEST_F(ServicesPageTest, AFailedRenameKeepsTheEditedEntry) {
    SaveService("A", "10.0.0.1:21");
    Open();
    SelectLine(0);
    Click("btnEdit");
    Box("txtHostName")->setText("renamed");
    BreakStore();
    Click("btnSave");
    EXPECT_FALSE(MessageTexts().join('\n').contains("has been saved"));
    // Undo the breakage: the store still holds the entry under its old name.
    QFile::remove(home.storeFolder());
    ASSERT_TRUE(QDir(home.path()).rename("Vantrel.moved", "Vantrel"));
    EXPECT_EQ(StoredServices(), QStringList{"A 10.0.0.1:21"});
}

} // namespace
