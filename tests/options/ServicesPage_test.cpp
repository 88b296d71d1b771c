#include "OptionsFixture.h"

#include <QRegularExpression>

namespace {

using Answer = MessageBox::Answer;
const QString kAllBoxes = "txtHostName txtIP1 txtIP2 txtIP3 txtIP4 txtPort";

class ServicesPageTest : public OptionsFixture {
protected:
    // Fills the detail boxes with host, 10.0.0.<ip4> and port.
    void Type(const QString& host, const QString& ip4, const QString& port = "80") const {
        const QStringList names = kAllBoxes.split(' '), texts{host, "10", "0", "0", ip4, port};
        for (int i = 0; i < texts.size(); ++i)
            Box(names[i])->setText(texts[i]);
    }
    QStringList ListLines() const {
        QStringList lines;
        for (int row = 0; row < Child<QListWidget>("lstServices")->count(); ++row)
            lines.append(Child<QListWidget>("lstServices")->item(row)->text());
        return lines;
    }
    void Select(int row) const { Child<QListWidget>("lstServices")->setCurrentRow(row); }
    // The dialog on a store holding A, B and C at 10.0.0.1 to 10.0.0.3, port 80.
    void OpenOnThree() {
        for (const char* host : {"A", "B", "C"})
            Store(StoreNames::Services, host, QStringLiteral("10.0.0.%1:80").arg(host[0] - 'A' + 1));
        Open();
    }
};

TEST_F(ServicesPageTest, ListShowsTheStoreAsPlainTextAndEditTakesALineApart) {
    Open();
    EXPECT_EQ(ListLines(), QStringList());
    EXPECT_FALSE(Shown("txtHostName") || Shown("btnSave") || Shown("cboPortLookup"));

    Store(StoreNames::Services, "<b>x</b>", "1.2.3.4:80");
    Store(StoreNames::Services, " a:b.c ", "10.0.0.5:25");
    Open();
    EXPECT_EQ(ListLines(), (QStringList{"<b>x</b> 1.2.3.4:80", " a:b.c  10.0.0.5:25"}));
    Select(1);
    Click("btnEdit");
    EXPECT_TRUE(Shown("txtHostName") && Shown("btnSave"));
    EXPECT_EQ(Boxes(kAllBoxes), " a:b.c |10|0|0|5|25"); // the host name is never parsed
}

TEST_F(ServicesPageTest, RenamingMovesTheEntryToTheEndAndNoToOverwriteKeepsEverything) {
    OpenOnThree();
    Select(1);
    Click("btnEdit");
    Box("txtHostName")->setText("D");
    Click("btnSave");
    const QStringList renamed{"A 10.0.0.1:80", "C 10.0.0.3:80", "D 10.0.0.2:80"};
    EXPECT_EQ(Messages(), QStringList{"Service D (10.0.0.2:80) has been saved."});
    EXPECT_EQ(Stored(StoreNames::Services), renamed);
    EXPECT_EQ(ListLines(), renamed);

    Click("btnAdd");
    Type("a", "9"); // names compare without regard to case
    MessageBox::setNextAnswer(Answer::No);
    Click("btnSave");
    EXPECT_EQ(Messages(), QStringList{Texts::OverwriteQuestion});
    EXPECT_EQ(Stored(StoreNames::Services), renamed);
    EXPECT_TRUE(Shown("txtHostName"));
}

TEST_F(ServicesPageTest, AddDeleteAndClosingForgetTheEntryEditOpened) {
    OpenOnThree();
    Select(1);
    Click("btnEdit");
    Click("btnAdd");
    Type("E", "5");
    Click("btnSave");
    EXPECT_EQ(Stored(StoreNames::Services).size(), 4);
    for (const char* closing : {"btnDelete", "cmdCancel"}) {
        Select(0);
        Click("btnEdit");
        MessageBox::setNextAnswer(Answer::No);
        Click(closing);
        EXPECT_TRUE(dialog->EditedHost().isEmpty()) << closing;
    }
}

TEST_F(ServicesPageTest, SaveChecksAddressPortAndHostName) {
    Open();
    const QString cases[][4] = {
        {"web", "256", "80", "Invalid IP address"},
        {"web", "1", "0", "Invalid port number"},
        {"web", "1", "65536", "Invalid port number"},
        {"web", "1", "", "Invalid port number"},
        {"web", "1", "http", "Invalid port number"},
        {"   ", "1", "80", "Invalid host name"},
        {"max", "1", "65535", "Service max (10.0.0.1:65535) has been saved."},
        {"half", "1", "80.5", "Service half (10.0.0.1:80.5) has been saved."},
    };
    for (const auto& [host, ip4, port, message] : cases) {
        Click("btnAdd");
        Type(host, ip4, port);
        Click("btnSave");
        EXPECT_EQ(Messages(), QStringList{message});
    }
    EXPECT_EQ(Stored(StoreNames::Services), (QStringList{"max 10.0.0.1:65535", "half 10.0.0.1:80.5"}));
}

TEST_F(ServicesPageTest, DuringACycleSaveAndResolveRefuseButDeleteWorks) {
    OpenOnThree();
    state.blnCheckInProgress = true;
    Click("btnAdd");
    Type("localhost", "7");
    Click("btnSave");
    Click("cmdResolve");
    EXPECT_EQ(Messages(), QStringList(2, "Checking services. Please try later"));
    EXPECT_EQ(Boxes("txtIP1 txtIP4"), "10|7");
    state.blnCheckInProgress = false;
    Click("cmdResolve");
    EXPECT_EQ(Boxes(kAllBoxes), "localhost|127|0|0|1|80");
    state.blnCheckInProgress = true;

    Select(0);
    MessageBox::setNextAnswer(Answer::No);
    Click("btnDelete");
    EXPECT_EQ(Messages(), QStringList{"Delete the A service?"});
    EXPECT_EQ(Boxes(kAllBoxes), "|||||"); // emptied whatever the answer
    Select(0);
    Click("btnDelete");
    EXPECT_EQ(ListLines(), (QStringList{"B 10.0.0.2:80", "C 10.0.0.3:80"}));
}

TEST_F(ServicesPageTest, AnUnwritableStoreIsReportedAndNothingIsCalledSaved) {
    OpenOnThree();
    BreakStore();
    Select(0);
    Click("btnDelete");
    Click("btnAdd");
    Type("web", "2");
    Click("btnSave");
    Click("cmdOK");
    // The delete question, then three failures: the delete, the save and OK's settings.
    const QStringList texts = Messages();
    EXPECT_EQ(texts.size(), 4);
    EXPECT_EQ(texts.filter(QRegularExpression("^" + Texts::StoreWriteFailed(""))).size(), 3);
    EXPECT_TRUE(dialog->isVisible());
}

} // namespace
