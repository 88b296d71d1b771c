#include "OptionsFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QTabBar>
#include <QTest>

namespace {

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
    QTest::keyClick(Child("txtTimeout"), Qt::Key_Tab, Qt::ControlModifier);
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
