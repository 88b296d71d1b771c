#include "OptionsFixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QScreen>
#include <QScrollBar>
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
        {{"3", "100", "70", "", "10", ""}, "Every 20 minutes, 100, 70, 50, 10, off"},
        {{"9", "abc", "-3", "150", "abc", "2"}, "Every 15 minutes, 100, 0, 100, abc, off"},
        {{"x", "85", "abc", "abc", "05", "1"}, "Every 15 minutes, 85, 90, 50, 05, on"},
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

TEST_F(SettingsPageTest, OkWritesAllSixInOrderAndCloses) {
    Store(StoreNames::Settings, "Green", "85");
    Open();
    Frequency()->setCurrentIndex(5); // "Every hour"
    Child<QCheckBox>("chkAlarm")->setChecked(true);
    Box("txtTimeout")->setText("30");
    Click("cmdOK");
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(Stored(StoreNames::Settings),
              (QStringList{"Green 85", "Timeout 30", "Frequency 5", "Red 50", "Yellow 90", "Sound 1"}));
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
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(Tabs()->currentIndex(), 1); // the box to fix is brought into view, with the focus
        EXPECT_EQ(dialog->focusWidget(), Child("txtTimeout"));
        EXPECT_EQ(Stored(StoreNames::Settings), QStringList{"Timeout 10"});
    }
}

TEST_F(SettingsPageTest, ApplyTakesAnEmptyTimeoutAsTenAndCancelKeepsWhatItWrote) {
    Store(StoreNames::Settings, "Timeout", "25");
    Open();
    Box("txtTimeout")->clear();
    Frequency()->setCurrentIndex(5);
    Click("cmdApply");
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(Box("txtTimeout")->text(), "10");
    Frequency()->setCurrentIndex(0);
    Click("cmdCancel");
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_EQ(Stored(StoreNames::Settings).mid(0, 2), (QStringList{"Timeout 10", "Frequency 5"}));
}

TEST_F(SettingsPageTest, ScrollingAThresholdListSelectsTheRowInView) {
    Store(StoreNames::Settings, "Yellow", "70");
    Open();
    Tabs()->setCurrentIndex(1);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    auto* yellow = Child<QListWidget>("lstYellow");
    QScrollBar* bar = yellow->verticalScrollBar();
    EXPECT_EQ(bar->value(), 30);
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(yellow->currentItem()->text(), "69");
    QTest::keyClick(yellow, Qt::Key_Up);
    EXPECT_EQ(bar->value(), 30);
}

TEST_F(SettingsPageTest, CtrlTabCyclesThePagesEscapeCancelsAndEnterPressesNothing) {
    Open();
    const QPoint offCentre =
        dialog->frameGeometry().center() - QGuiApplication::primaryScreen()->geometry().center();
    EXPECT_LE(offCentre.manhattanLength(), 30);
    QWidget* services = Child("picOptions0");
    QWidget* settings = Child("picOptions1");
    QTest::keyClick(Child("lstServices"), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_TRUE(settings->isVisible() && settings->isEnabled() && !services->isVisible() &&
                !services->isEnabled());
    EXPECT_EQ(settings->pos(), QPoint(16, 32)); // 240 and 480 twips at 96 DPI
    QTest::keyClick(Child("txtTimeout"), Qt::Key_Tab, Qt::ControlModifier);
    QTest::keyClick(Child("lstServices"), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(Child("lstServices"), Qt::Key_Tab, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(Tabs()->currentIndex(), 0);

    QTest::keyClick(Child("lstServices"), Qt::Key_Return);
    EXPECT_TRUE(dialog->isVisible() && Stored(StoreNames::Settings).isEmpty());
    QTest::keyClick(Child("lstServices"), Qt::Key_Escape);
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(Stored(StoreNames::Settings).isEmpty());
}

} // namespace
