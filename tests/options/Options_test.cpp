#include "OptionsFixture.h"
#include "tests/support/GatedResolver.h"
#include "ui/options/OptionsLogic.h"

#include <QCheckBox>
#include <QComboBox>
#include <QRegularExpression>
#include <QTabBar>
#include <QTest>

using namespace OptionsLogic;

namespace {

TEST(OptionsLogic, RoundsAndClampsStoredValuesOrFallsBack) {
    // Halves round to even: 85.5 selects 86, 84.5 selects 84.
    const struct {
        QString stored;
        int frequencyIndex, yellowRow;
    } cases[] = {{"", 2, 10},     {" 4 ", 4, 96},
                 {"3.6", 4, 96},  {"9", 2, 91},
                 {"-1", 2, 100},  {"150", 2, 0},
                 {"85.5", 2, 14}, {"84.5", 2, 16},
                 {"1e1", 2, 10},  {"-99999999999999999999999999999", 2, 100}};
    for (const auto& c : cases) {
        EXPECT_EQ(FrequencyIndexFor(c.stored), c.frequencyIndex) << c.stored.toStdString();
        EXPECT_EQ(ThresholdRowFor(c.stored, kYellowFallbackPercent), c.yellowRow) << c.stored.toStdString();
    }
}

TEST(OptionsLogic, AcceptsOnlyTimeoutsOneToThirtyWrittenPlainly) {
    for (const char* text : {"1", "10", "30"})
        EXPECT_EQ(CheckTimeout(text), TimeoutVerdict::Ok) << text;
    for (const char* text :
         {"31", "0", "0.5", "-5", "5.5", "05", "+5", " 5", "5.", "99999999999999999999999"})
        EXPECT_EQ(CheckTimeout(text), TimeoutVerdict::NotPlainWhole) << text;
    for (const char* text : {"ten", "", " ", "1e1"})
        EXPECT_EQ(CheckTimeout(text), TimeoutVerdict::NotNumeric) << text;
}

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
    Resolve();
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

// A lookup belongs to the entry it was started for: while it waits only Cancel (with Esc and the close
// box) is left, its answer lands in that entry, and a dialog closed meanwhile shows nothing later.
TEST_F(ServicesPageTest, ALookupAnswersTheEntryThatAskedAndClosingDropsIt) {
    OpenOnThree();
    {
        GatedResolver slow;
        Select(0);
        Click("btnEdit");
        Box("txtHostName")->setText("A.slow.example");
        Click("cmdResolve");
        Select(1);
        Click("btnEdit");
        QTest::keyClick(Box("txtIP1"), Qt::Key_Tab, Qt::ControlModifier); // no change of page either
        QStringList enabled;
        for (QPushButton* button : dialog->findChildren<QPushButton*>())
            if (button->isEnabled())
                enabled << button->objectName();
        EXPECT_EQ(enabled, QStringList{"cmdCancel"});
        slow.Open("192.0.2.7");
        ASSERT_TRUE(QTest::qWaitFor([this] { return !dialog->SocketOptions().IsBusy(); }, 15000));
    }
    EXPECT_EQ(Boxes(kAllBoxes), "A.slow.example|192|0|2|7|80");
    Click("btnSave");
    EXPECT_EQ(Stored(StoreNames::Services),
              (QStringList{"B 10.0.0.2:80", "C 10.0.0.3:80", "A.slow.example 192.0.2.7:80"}));
    Messages();

    // Each way of closing the dialog during a lookup drops its answer.
    const std::function<void()> closers[] = {[this] { Click("cmdCancel"); },
                                             [this] { QTest::keyClick(Box("txtHostName"), Qt::Key_Escape); },
                                             [this] { dialog->close(); }};
    for (const auto& close : closers) {
        GatedResolver never;
        Open();
        Click("btnAdd");
        Box("txtHostName")->setText("gone.example");
        Click("cmdResolve");
        close();
        EXPECT_FALSE(dialog->isVisible() || dialog->SocketOptions().IsBusy());
        SocketControl other; // released with the dropped lookup: once it answers, that one has too
        other.BeginLookup("also.example", [] {});
        never.Open(QString());
        ASSERT_TRUE(QTest::qWaitFor([&] { return !other.IsBusy(); }, 15000));
        QCoreApplication::processEvents();
        EXPECT_EQ(Messages(), QStringList{}) << "no \"Unknown host.\" after the dialog has gone";
    }
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

class SettingsPageTest : public OptionsFixture {
protected:
    // What the page shows: frequency, green, yellow, red, time-out, alarm.
    QString Showing() const {
        QStringList shown{Frequency()->currentText()};
        for (const char* list : {"lstGreen", "lstYellow", "lstRed"})
            shown.append(Child<QListWidget>(list)->currentItem()->text());
        shown << Box("txtTimeout")->text() << (Child<QCheckBox>("chkAlarm")->isChecked() ? "on" : "off");
        return shown.join(", ");
    }
    QComboBox* Frequency() const { return Child<QComboBox>("cboFrequency"); }
    QTabBar* Tabs() const { return Child<QTabBar>("tbsOptions"); }
};

TEST_F(SettingsPageTest, ShowsStoredValuesOrItsOwnFallbacks) {
    const QStringList keys{"Frequency", "Green", "Yellow", "Red", "Timeout", "Sound"};
    const struct {
        QStringList stored; // in the order of keys; empty means absent
        QString shown;
    } cases[] = {
        {{"", "", "", "", "", ""}, "Every 15 minutes, 100, 90, 50, 10, off"},
        {{"3", "100", "70", "", "10", ""}, "Every 20 minutes, 100, 70, 50, 10, off"}, // as start-up seeds it
        {{"9", "abc", "-3", "150", "abc", "1"}, "Every 15 minutes, 100, 0, 100, abc, on"},
    };
    for (const auto& c : cases) {
        TempConfigHome fresh;
        for (int i = 0; i < keys.size(); ++i)
            if (!c.stored[i].isEmpty())
                Store(StoreNames::Settings, keys[i], c.stored[i]);
        Open();
        EXPECT_EQ(Showing(), c.shown);
    }
}

TEST_F(SettingsPageTest, ARefusedTimeoutWritesNothingAndKeepsTheDialogOpen) {
    const QString whole = "Timeout value must be a positive, whole number of seconds no greater than than 30";
    const QString numeric = "Timeout value must be numeric, whole, positive and no greater than 30";
    Store(StoreNames::Settings, "Timeout", "10");
    Open();
    Frequency()->setCurrentIndex(6);
    for (const auto& [text, message] : {std::pair{"05", whole}, std::pair{"ten", numeric}}) {
        Box("txtTimeout")->setText(text);
        Click("cmdApply");
        Click("cmdOK");
        EXPECT_EQ(Messages(), QStringList(2, message));
        // The dialog stays open with the box to fix in view and focused; nothing is written.
        EXPECT_TRUE(dialog->isVisible() && Tabs()->currentIndex() == 1 &&
                    dialog->focusWidget() == Child("txtTimeout"));
        EXPECT_EQ(Stored(StoreNames::Settings), QStringList{"Timeout 10"});
    }
}

TEST_F(SettingsPageTest, ApplyWritesAllSixTakingAnEmptyTimeoutAsTenAndCancelKeepsWhatItWrote) {
    Store(StoreNames::Settings, "Timeout", "25");
    Open();
    Box("txtTimeout")->clear();
    Frequency()->setCurrentIndex(5); // "Every hour"
    Child<QCheckBox>("chkAlarm")->setChecked(true);
    Click("cmdApply");
    EXPECT_EQ(Box("txtTimeout")->text(), "10");
    Frequency()->setCurrentIndex(0);
    Click("cmdCancel");
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_EQ(Stored(StoreNames::Settings),
              (QStringList{"Timeout 10", "Frequency 5", "Red 50", "Yellow 90", "Green 100", "Sound 1"}));
}

TEST_F(SettingsPageTest, CtrlTabCyclesThePagesEnterPressesNothingAndEscapeCancels) {
    Open();
    QWidget* services = Child("picOptions0");
    QWidget* settings = Child("picOptions1");
    QTest::keyClick(Child("lstServices"), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_TRUE(settings->isEnabled() && !services->isVisible() && !services->isEnabled());
    // The focus goes along into the page shown, never staying on a control set aside.
    EXPECT_EQ(dialog->focusWidget(), Child("cboFrequency"));
    QTest::keyClick(Child("txtTimeout"), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(dialog->focusWidget(), Child("lstServices"));
    QTest::keyClick(Child("lstServices"), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(Child("lstServices"), Qt::Key_Tab, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(Tabs()->currentIndex(), 0);

    QTest::keyClick(Child("lstServices"), Qt::Key_Return);
    EXPECT_TRUE(dialog->isVisible());
    QTest::keyClick(Child("lstServices"), Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_TRUE(Stored(StoreNames::Settings).isEmpty());
}

} // namespace
