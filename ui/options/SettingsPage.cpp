#include "ui/options/SettingsPage.h"

#include "core/SettingsStore.h"
#include "core/StoreNames.h"
#include "core/Texts.h"
#include "ui/common/AccessibleNames.h"
#include "ui/common/MessageBox.h"
#include "ui/common/TextRoom.h"
#include "ui/options/OptionsLogic.h"
#include "ui/options/OptionsWidgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>

using namespace OptionsLogic;

namespace {
const QString kTimeoutNotNumeric =
    QStringLiteral("Timeout value must be numeric, whole, positive and no greater than 30");
const QString kTimeoutNotPlainWhole =
    QStringLiteral("Timeout value must be a positive, whole number of seconds no greater than than 30");

QString Read(const QString& key) {
    return GetSetting(StoreNames::App, StoreNames::Settings, key);
}
} // namespace

SettingsPage::SettingsPage(QWidget* parent) : QWidget(parent) {
    auto* frame = SetTwipsGeometry(new QGroupBox("Settings", this), 120, 120, 5415, 3375);

    QLabel* frequencyCaption = SetTwipsGeometry(NewLabel("Check Frequency:", frame), 120, 390, 1815, 255);
    cboFrequency = new QComboBox(frame);
    NameAfterCaption(cboFrequency, frequencyCaption);
    cboFrequency->setObjectName(QStringLiteral("cboFrequency"));
    for (std::size_t i = 0; i < kFrequencyCaptions.size(); ++i)
        cboFrequency->addItem(QString::fromLatin1(kFrequencyCaptions[i]), kCheckIntervalMinutes[i]);
    SetTwipsGeometry(cboFrequency, 2295, 360, 1815, 315);
    WidenTo(cboFrequency, NeededWidth(cboFrequency));

    SetTwipsGeometry(NewLabel("Light threshold definition:", frame), 120, 840, 5055, 255);
    QLabel* greenCaption = SetTwipsGeometry(NewLabel("Green:", frame), 120, 1200, 735, 255);
    lstGreen = NewThresholdList(QStringLiteral("lstGreen"), 840, 615);
    NameAfterCaption(lstGreen, greenCaption);
    QLabel* greenPercent = SetTwipsGeometry(NewLabel("%", frame), 1560, 1200, 135, 255);
    QLabel* yellowCaption = SetTwipsGeometry(NewLabel("Yellow:", frame), 2040, 1200, 855, 255);
    lstYellow = NewThresholdList(QStringLiteral("lstYellow"), 2640, 735);
    NameAfterCaption(lstYellow, yellowCaption);
    QLabel* yellowPercent = SetTwipsGeometry(NewLabel("%", frame), 3360, 1200, 135, 255);

    // The red row is kept, loaded and written, but never shown: it has no effect on the light.
    QLabel* redLabel = SetTwipsGeometry(NewLabel("Red:", frame), 3840, 1200, 975, 255);
    lstRed = NewThresholdList(QStringLiteral("lstRed"), 4320, 735);
    NameAfterCaption(lstRed, redLabel);
    QLabel* redPercent = SetTwipsGeometry(NewLabel("%", frame), 5040, 1200, 135, 255);
    for (QWidget* hidden :
         {static_cast<QWidget*>(redLabel), static_cast<QWidget*>(lstRed), static_cast<QWidget*>(redPercent)})
        hidden->setVisible(false);

    chkAlarm = new QCheckBox(QStringLiteral("Play SOS sound when light changes for the worse"), frame);
    chkAlarm->setObjectName(QStringLiteral("chkAlarm"));
    SetTwipsGeometry(chkAlarm, 120, 1560, 4935, 255);

    QLabel* timeoutCaption = SetTwipsGeometry(NewLabel("Connection timeout:", frame), 120, 2040, 1575, 255);
    txtTimeout = new QLineEdit(frame);
    txtTimeout->setObjectName(QStringLiteral("txtTimeout"));
    NameAfterCaption(txtTimeout, timeoutCaption);
    SetTwipsGeometry(txtTimeout, 1800, 2040, 735, 285);
    QLabel* seconds = SetTwipsGeometry(NewLabel("seconds", frame), 2640, 2040, 855, 255);
    WidenCaptions(frame);
    StartAfter(txtTimeout, timeoutCaption);
    CentreBeside(frequencyCaption, cboFrequency);
    CentreBeside(timeoutCaption, txtTimeout);
    CentreBeside(seconds, txtTimeout);
    FollowOn(greenPercent, lstGreen);
    FollowOn(yellowPercent, lstYellow);
    FollowOn(redPercent, lstRed);
}

QListWidget* SettingsPage::NewThresholdList(const QString& name, double left, double width) {
    auto* frame = findChild<QGroupBox*>();
    auto* list = new QListWidget(frame);
    list->setObjectName(name);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setUniformItemSizes(true);
    for (int row = 0; row < kThresholdRows; ++row)
        list->addItem(QString::number(PercentForRow(row)));
    // One row high, whatever the font: a list that shows no whole row could not be scrolled to a value,
    // and one that shows part of the next row shows two values. Wide enough for "100" beside its
    // scroll bar.
    QRect rect = TwipsRect(list, left, 1200, width, 255);
    const int oneRow = list->sizeHintForRow(0) + 2 * list->frameWidth();
    rect.translate(0, (rect.height() - oneRow) / 2);
    rect.setHeight(oneRow);
    list->setGeometry(rect);
    WidenTo(list, NeededWidth(list));
    FollowScrolling(list);
    return list;
}

void SettingsPage::FollowScrolling(QListWidget* list) {
    // Used as a spinner: the one row in view is the value. The scroll bar reports the user's steps
    // here, before the view moves; programmatic scrolling does not pass this way.
    QScrollBar* bar = list->verticalScrollBar();
    connect(bar, &QAbstractSlider::actionTriggered, list, [list, bar](int) {
        list->setCurrentRow(std::clamp(bar->sliderPosition(), 0, list->count() - 1));
    });
}

void SettingsPage::SelectRow(QListWidget* list, int row) {
    list->setCurrentRow(row);
    list->scrollToItem(list->item(row), QAbstractItemView::PositionAtTop);
}

QList<QWidget*> SettingsPage::FocusOrder() const {
    return {cboFrequency, lstGreen, lstYellow, chkAlarm, txtTimeout};
}

void SettingsPage::Load() {
    cboFrequency->setCurrentIndex(FrequencyIndexFor(Read(StoreNames::Frequency)));
    SelectRow(lstGreen, ThresholdRowFor(Read(StoreNames::Green), kGreenFallbackPercent));
    SelectRow(lstYellow, ThresholdRowFor(Read(StoreNames::Yellow), kYellowFallbackPercent));
    SelectRow(lstRed, ThresholdRowFor(Read(StoreNames::Red), kRedFallbackPercent));
    txtTimeout->setText(TimeoutTextFor(Read(StoreNames::Timeout)));
    chkAlarm->setChecked(Read(StoreNames::Sound) == QLatin1String("1"));
}

bool SettingsPage::ValidTimeout() {
    const TimeoutVerdict verdict = CheckTimeout(txtTimeout->text());
    if (verdict == TimeoutVerdict::Ok)
        return true;
    MessageBox::inform(window(),
                       verdict == TimeoutVerdict::NotNumeric ? kTimeoutNotNumeric : kTimeoutNotPlainWhole);
    emit timeoutRefused();
    txtTimeout->setFocus();
    return false;
}

bool SettingsPage::ApplySettings() {
    if (txtTimeout->text().isEmpty())
        txtTimeout->setText(QStringLiteral("10"));
    if (!ValidTimeout())
        return false;
    const QList<QPair<QString, QString>> settings{
        {StoreNames::Timeout, txtTimeout->text()},
        {StoreNames::Frequency, QString::number(cboFrequency->currentIndex())},
        {StoreNames::Red, QString::number(PercentForRow(lstRed->currentRow()))},
        {StoreNames::Yellow, QString::number(PercentForRow(lstYellow->currentRow()))},
        {StoreNames::Green, QString::number(PercentForRow(lstGreen->currentRow()))},
        {StoreNames::Sound, chkAlarm->isChecked() ? QStringLiteral("1") : QStringLiteral("0")},
    };
    for (const auto& [key, value] : settings) {
        if (!SaveSetting(StoreNames::App, StoreNames::Settings, key, value)) {
            MessageBox::inform(window(), Texts::StoreWriteFailed(LastStoreError()));
            return false;
        }
    }
    return true;
}
