#pragma once

#include "core/SettingsStore.h"
#include "core/StoreNames.h"
#include "tests/support/TempConfigHome.h"
#include "ui/common/AlarmPlayer.h"
#include "ui/common/DesktopOpener.h"
#include "ui/common/MessageBox.h"
#include "ui/common/Twips.h"
#include "ui/main/frmMain.h"
#include "ui/tray/RecordingTrayBackend.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>
#include <memory>

// A main window on a fresh store and a recording notification area; message boxes answer from the
// test's queue and record what they said.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        MessageBox::resetTestMode();
        DesktopOpener::takeRequests();
        AlarmPlayer::enableTestMode();
    }
    void TearDown() override {
        window.reset();
        MessageBox::resetTestMode();
    }

    frmMain& Make(bool trayAvailable = true) {
        auto recording = std::make_unique<RecordingTrayBackend>();
        backend = recording.get();
        frmMain::Options options;
        options.trayBackend = std::move(recording);
        options.trayAvailable = trayAvailable;
        window = std::make_unique<frmMain>(std::move(options));
        return *window;
    }

    static void Store(const QString& section, const QString& key, const QString& value) {
        ASSERT_TRUE(SaveSetting(StoreNames::App, section, key, value));
    }
    static QString Stored(const QString& section, const QString& key) {
        return GetSetting(StoreNames::App, section, key);
    }

    // The board as a finished cycle leaves it, without running one.
    void ShowResults(const ServicePairs& services, const QList<bool>& up, const QList<float>& times) {
        CheckState& state = window->checkState();
        state.ServiceList = services;
        state.ServiceUp = up;
        state.ResponseTime = times;
        state.LastCheckTime = QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9));
        window->DisplayServiceStatus();
    }

    // The events until the panel's lookup or check and any cycle have their answers.
    void Settle() const {
        ASSERT_TRUE(QTest::qWaitFor(
            [this] { return !window->panel().IsWaiting() && !window->checkState().blnCheckInProgress; },
            15000));
    }

    // A left click, pressed and released inside the widget.
    static void Click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }
    // A left click on a row of the board.
    void ClickRow(int row) const {
        QAbstractItemView* view = window->pctStatus();
        const QRect rect = view->visualRect(view->model()->index(row, 0));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
    }

    static QStringList TextsOf(const QList<MessageBox::Record>& records) {
        QStringList texts;
        for (const MessageBox::Record& record : records)
            texts << record.text;
        return texts;
    }
    // Every box shown since the last call, one line each: "text | title | buttons | icon".
    static std::string Said() {
        static const char* const icons[] = {"None", "Information", "Exclamation"};
        QStringList lines;
        for (const MessageBox::Record& r : MessageBox::takeRecords())
            lines << r.text + " | " + r.title +
                         (r.buttons == MessageBox::Buttons::Ok ? " | Ok | " : " | YesNo | ") +
                         icons[int(r.icon)];
        return lines.join('\n').toStdString();
    }

    TempConfigHome home;
    RecordingTrayBackend* backend = nullptr;
    std::unique_ptr<frmMain> window;
};
