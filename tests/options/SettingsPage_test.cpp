#include "OptionsFixture.h"
#include "ui/common/AppPaths.h"

#include <QCheckBox>
#include <QComboBox>
#include <QScrollBar>
#include <QTabBar>
#include <QTest>

namespace {

const QString kNotNumeric =
    QStringLiteral("Timeout value must be numeric, whole, positive and no greater than 30");
const QString kNotPlainWhole =
    QStringLiteral("Timeout value must be a positive, whole number of seconds no greater than than 30");

class SettingsPageTest : public OptionsFixture {
protected:
    QString Frequency() const { return Child<QComboBox>("cboFrequency")->currentText(); }
    QString Threshold(const char* name) const { return Child<QListWidget>(name)->currentItem()->text(); }
    bool Alarm() const { return Child<QCheckBox>("chkAlarm")->isChecked(); }
    void SeedStartUpSettings() const {
        SaveSettingValue(StoreNames::Green, "100");
        SaveSettingValue(StoreNames::Yellow, "70");
        SaveSettingValue(StoreNames::Timeout, "10");
        SaveSettingValue(StoreNames::Frequency, "3");
    }
};

TEST_F(SettingsPageTest, EmptyStoreShowsTheFallbacks) {
    Open();
    EXPECT_EQ(Frequency(), "Every 15 minutes");
    EXPECT_EQ(Threshold("lstGreen"), "100");
    EXPECT_EQ(Threshold("lstYellow"), "90");
    EXPECT_EQ(Threshold("lstRed"), "50");
    EXPECT_EQ(Box("txtTimeout")->text(), "10");
    EXPECT_FALSE(Alarm());
    EXPECT_FALSE(Child("lstRed")->isVisibleTo(Child("picOptions1")));
}

TEST_F(SettingsPageTest, ShowsWhatAStartUpSeeded) {
    SeedStartUpSettings();
    Open();
    EXPECT_EQ(Frequency(), "Every 20 minutes");
    EXPECT_EQ(Child<QComboBox>("cboFrequency")->currentData().toInt(), 20);
    EXPECT_EQ(Threshold("lstGreen"), "100");
    EXPECT_EQ(Threshold("lstYellow"), "70");
    EXPECT_EQ(Box("txtTimeout")->text(), "10");
}

TEST_F(SettingsPageTest, ValuesItCannotShowFallBackAndAreWrittenBackInTheStoredForm) {
    SaveSettingValue(StoreNames::Frequency, "9");
    SaveSettingValue(StoreNames::Green, "abc");
    SaveSettingValue(StoreNames::Yellow, "-3");
    SaveSettingValue(StoreNames::Red, "150");
    SaveSettingValue(StoreNames::Sound, "2");
    Open();
    EXPECT_EQ(Frequency(), "Every 15 minutes");
    EXPECT_EQ(Threshold("lstGreen"), "100");
    EXPECT_EQ(Threshold("lstYellow"), "0");
    EXPECT_EQ(Threshold("lstRed"), "100");
    EXPECT_FALSE(Alarm());
    Click("cmdOK");
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(Setting(StoreNames::Frequency), "2");
    EXPECT_EQ(Setting(StoreNames::Green), "100");
    EXPECT_EQ(Setting(StoreNames::Yellow), "0");
    EXPECT_EQ(Setting(StoreNames::Red), "100");
    EXPECT_EQ(Setting(StoreNames::Sound), "0");
}

TEST_F(SettingsPageTest, OkWritesEverySettingInOrderAndCloses) {
    SaveSettingValue(StoreNames::Green, "85");
    SaveSettingValue(StoreNames::Sound, "1");
    Open();
    EXPECT_TRUE(Alarm());
    EXPECT_EQ(Threshold("lstGreen"), "85");
    Box("txtTimeout")->setText("30");
    Click("cmdOK");
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(StoredSettingKeys(), (QStringList{"Green", "Sound", "Timeout", "Frequency", "Red", "Yellow"}));
    EXPECT_EQ(Setting(StoreNames::Timeout), "30");
    EXPECT_EQ(Setting(StoreNames::Frequency), "2");
    EXPECT_EQ(Setting(StoreNames::Red), "50");
    EXPECT_EQ(Setting(StoreNames::Yellow), "90");
    EXPECT_EQ(Setting(StoreNames::Green), "85");
    EXPECT_EQ(Setting(StoreNames::Sound), "1");
}

struct TimeoutCase {
    const char* text;
    const QString* message;
};
void PrintTo(const TimeoutCase& c, std::ostream* os) {
    *os << '"' << c.text << '"';
}

class RefusedTimeoutTest : public SettingsPageTest, public ::testing::WithParamInterface<TimeoutCase> {};

TEST_P(RefusedTimeoutTest, OkAndApplyWriteNothingAndKeepTheDialogOpen) {
    SeedStartUpSettings();
    Open();
    Child<QComboBox>("cboFrequency")->setCurrentIndex(6);
    Box("txtTimeout")->setText(QString::fromUtf8(GetParam().text));
    Click("cmdApply");
    Click("cmdOK");
    EXPECT_EQ(MessageTexts(), (QStringList{*GetParam().message, *GetParam().message}));
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->focusWidget(), Child("txtTimeout"));
    EXPECT_EQ(Setting(StoreNames::Frequency), "3");
    EXPECT_EQ(Setting(StoreNames::Timeout), "10");
    EXPECT_EQ(StoredSettingKeys().size(), 4);
}

INSTANTIATE_TEST_SUITE_P(Texts, RefusedTimeoutTest,
                         ::testing::Values(TimeoutCase{"31", &kNotPlainWhole},
                                           TimeoutCase{"0", &kNotPlainWhole},
                                           TimeoutCase{"-5", &kNotPlainWhole},
                                           TimeoutCase{"5.5", &kNotPlainWhole},
                                           TimeoutCase{"05", &kNotPlainWhole},
                                           TimeoutCase{"ten", &kNotNumeric}, TimeoutCase{" ", &kNotNumeric}));

TEST_F(SettingsPageTest, AnEmptyTimeoutIsTakenAsTen) {
    SaveSettingValue(StoreNames::Timeout, "25");
    Open();
    Box("txtTimeout")->clear();
    Click("cmdApply");
    EXPECT_EQ(Box("txtTimeout")->text(), "10");
    EXPECT_EQ(Setting(StoreNames::Timeout), "10");
    EXPECT_TRUE(MessageTexts().isEmpty());
}

TEST_F(SettingsPageTest, CancelKeepsWhatApplyWrote) {
    SeedStartUpSettings();
    Open();
    Child<QComboBox>("cboFrequency")->setCurrentIndex(5); // "Every hour"
    Click("cmdApply");
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(Setting(StoreNames::Frequency), "5");
    Child<QComboBox>("cboFrequency")->setCurrentIndex(0);
    Click("cmdCancel");
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_EQ(Setting(StoreNames::Frequency), "5");
}

TEST_F(SettingsPageTest, AnUnwritableStoreIsReportedAndTheDialogStaysOpen) {
    Open();
    BreakStore();
    Click("cmdOK");
    const QStringList texts = MessageTexts();
    ASSERT_EQ(texts.size(), 1);
    EXPECT_TRUE(texts[0].startsWith(Texts::StoreWriteFailed(QString()))) << texts[0].toStdString();
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(SettingsPageTest, ScrollingAThresholdListSelectsTheRowInView) {
    SeedStartUpSettings();
    Open();
    dialog->findChild<QTabBar*>("tbsOptions")->setCurrentIndex(1);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
    auto* yellow = Child<QListWidget>("lstYellow");
    QScrollBar* bar = yellow->verticalScrollBar();
    EXPECT_EQ(bar->value(), 30); // the selected value is the one in view
    bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(Threshold("lstYellow"), "69");
    bar->triggerAction(QAbstractSlider::SliderPageStepSub);
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(Threshold("lstYellow"), QString::number(100 - bar->value()));
    QTest::keyClick(yellow, Qt::Key_Down);
    EXPECT_EQ(bar->value(), 100 - Threshold("lstYellow").toInt());
}

// ---- the dialog frame ----

using FrameTest = SettingsPageTest;

TEST_F(FrameTest, IsAFixedSizeDialogWithTwoTabsAndNoDefaultButton) {
    Open();
    EXPECT_EQ(dialog->windowTitle(), "Options");
    EXPECT_EQ(dialog->minimumSize(), dialog->maximumSize());
    EXPECT_FALSE(dialog->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    auto* tabs = dialog->findChild<QTabBar*>("tbsOptions");
    ASSERT_EQ(tabs->count(), 2);
    EXPECT_EQ(tabs->tabText(0), "Services");
    EXPECT_EQ(tabs->tabToolTip(0), "Add, remove and edit monitored services");
    EXPECT_EQ(tabs->tabText(1), "Settings");
    EXPECT_TRUE(tabs->tabToolTip(1).isEmpty());
    for (QPushButton* button : dialog->findChildren<QPushButton*>())
        EXPECT_FALSE(button->autoDefault() || button->isDefault()) << button->text().toStdString();

    // Enter in a text box presses nothing.
    QTest::keyClick(Box("txtHostName"), Qt::Key_Return);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(StoredSettingKeys().isEmpty());
}

TEST_F(FrameTest, OnlyTheSelectedPageIsVisibleAndUsable) {
    Open();
    auto* tabs = dialog->findChild<QTabBar*>("tbsOptions");
    QWidget* services = Child("picOptions0");
    QWidget* settings = Child("picOptions1");
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_TRUE(services->isVisible() && services->isEnabled());
    EXPECT_FALSE(settings->isVisible() || settings->isEnabled());
    tabs->setCurrentIndex(1);
    EXPECT_FALSE(services->isVisible() || services->isEnabled());
    EXPECT_TRUE(settings->isVisible() && settings->isEnabled());
    EXPECT_EQ(settings->pos(), QPoint(16, 32)); // 240 and 480 twips at 96 DPI
}

TEST_F(FrameTest, CtrlTabMovesToTheNextTabWhereverTheFocusIs) {
    Open();
    auto* tabs = dialog->findChild<QTabBar*>("tbsOptions");
    QTest::keyClick(Child("lstServices"), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(tabs->currentIndex(), 1);
    QTest::keyClick(Child("txtTimeout"), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(tabs->currentIndex(), 0);

    // Ctrl with Shift or Alt as well is nothing special.
    QTest::keyClick(Child("lstServices"), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(Child("lstServices"), Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(Child("lstServices"), Qt::Key_Tab, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(FrameTest, EscapePressesCancelFromAnyControl) {
    SaveService("A", "10.0.0.1:21");
    Open();
    SelectLine(0);
    Click("btnEdit");
    Box("txtTimeout")->setText("7");
    QTest::keyClick(Box("txtHostName"), Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_TRUE(Setting(StoreNames::Timeout).isEmpty());
    EXPECT_TRUE(dialog->EditedHost().isEmpty());
}

TEST_F(FrameTest, TabVisitsTheControlsInTheirOrder) {
    SaveService("A", "10.0.0.1:21");
    Open();
    dialog->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    Child("tbsOptions")->setFocus();
    QStringList visited;
    for (int i = 0; i < 8; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited.append(QApplication::focusWidget()->objectName());
    }
    EXPECT_EQ(visited, (QStringList{"cmdOK", "cmdCancel", "cmdApply", "lstServices", "btnEdit", "btnAdd",
                                    "btnDelete", "cmdHelp"}));

    Click("btnAdd");
    Child("btnDelete")->setFocus();
    visited.clear();
    for (int i = 0; i < 10; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited.append(QApplication::focusWidget()->objectName());
    }
    EXPECT_EQ(visited, (QStringList{"txtHostName", "cmdResolve", "txtIP1", "txtIP2", "txtIP3", "txtIP4",
                                    "txtPort", "cboPortLookup", "btnSave", "cmdHelp"}));

    dialog->findChild<QTabBar*>("tbsOptions")->setCurrentIndex(1);
    Child("cmdApply")->setFocus();
    visited.clear();
    for (int i = 0; i < 6; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited.append(QApplication::focusWidget()->objectName());
    }
    EXPECT_EQ(visited,
              (QStringList{"cboFrequency", "lstGreen", "lstYellow", "chkAlarm", "txtTimeout", "cmdHelp"}));
}

TEST_F(FrameTest, HelpOpensTheHelpFile) {
    Open();
    Click("cmdHelp");
    EXPECT_EQ(DesktopOpener::takeRequests(), QList<QUrl>{QUrl::fromLocalFile(HelpFilePath())});
    EXPECT_TRUE(dialog->isVisible());
}

TEST_F(FrameTest, OpensCentredOnTheScreen) {
    Open();
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QPoint centre = dialog->frameGeometry().center();
    EXPECT_LE(std::abs(centre.x() - screen.center().x()), 10);
    EXPECT_LE(std::abs(centre.y() - screen.center().y()), 20);
    EXPECT_GE(dialog->height(), Child("cmdOK")->geometry().bottom());
}

} // namespace
