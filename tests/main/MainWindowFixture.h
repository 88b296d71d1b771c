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

    // A left click as the window system delivers it: press, then release, inside the widget.
    static void Click(QWidget* widget) {
        const QPointF at(widget->width() / 2.0, widget->height() / 2.0);
        const QPointF global = widget->mapToGlobal(at);
        QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(widget, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QCoreApplication::sendEvent(widget, &release);
    }

    static QStringList TextsOf(const QList<MessageBox::Record>& records) {
        QStringList texts;
        for (const MessageBox::Record& record : records)
            texts << record.text;
        return texts;
    }

    TempConfigHome home;
    RecordingTrayBackend* backend = nullptr;
    std::unique_ptr<frmMain> window;
};
