#pragma once

#include "core/SettingsStore.h"
#include "core/StoreNames.h"
#include "monitor/CheckState.h"
#include "tests/support/TempConfigHome.h"
#include "ui/common/DesktopOpener.h"
#include "ui/common/MessageBox.h"
#include "ui/options/frmOptions.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStringList>
#include <gtest/gtest.h>
#include <memory>

// A fresh store, answered message boxes, and the dialog opened on it the way the main window does.
class OptionsFixture : public ::testing::Test {
protected:
    void SetUp() override {
        MessageBox::resetTestMode();
        DesktopOpener::takeRequests();
    }
    void TearDown() override {
        dialog.reset();
        MessageBox::resetTestMode();
    }

    frmOptions& Open() {
        dialog = std::make_unique<frmOptions>(state);
        dialog->show();
        return *dialog;
    }

    template <typename W = QWidget> W* Child(const char* name) const {
        W* widget = dialog->findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QLineEdit* Box(const char* name) const { return Child<QLineEdit>(name); }
    void Click(const char* name) const { Child<QPushButton>(name)->click(); }
    bool Shown(const char* name) const { return Child(name)->isVisibleTo(dialog.get()); }

    static void SaveService(const QString& host, const QString& value) {
        ASSERT_TRUE(SaveSetting(StoreNames::App, StoreNames::Services, host, value));
    }
    static void SaveSettingValue(const QString& key, const QString& value) {
        ASSERT_TRUE(SaveSetting(StoreNames::App, StoreNames::Settings, key, value));
    }
    static QString Setting(const QString& key) {
        return GetSetting(StoreNames::App, StoreNames::Settings, key);
    }
    static QStringList StoredServices() {
        QStringList lines;
        for (const auto& [key, value] :
             GetAllSettings(StoreNames::App, StoreNames::Services).value_or(ServicePairs{}))
            lines.append(key + " " + value);
        return lines;
    }
    static QStringList StoredSettingKeys() {
        QStringList keys;
        for (const auto& pair :
             GetAllSettings(StoreNames::App, StoreNames::Settings).value_or(ServicePairs{}))
            keys.append(pair.first);
        return keys;
    }
    QStringList ListLines() const {
        QStringList lines;
        auto* list = Child<QListWidget>("lstServices");
        for (int row = 0; row < list->count(); ++row)
            lines.append(list->item(row)->text());
        return lines;
    }
    void SelectLine(int row) const { Child<QListWidget>("lstServices")->setCurrentRow(row); }

    static QStringList MessageTexts() {
        QStringList texts;
        for (const MessageBox::Record& record : MessageBox::takeRecords())
            texts.append(record.text);
        return texts;
    }

    // From here on every write fails: the store's folder is taken by a plain file.
    void BreakStore() const {
        ASSERT_TRUE(QDir(home.path()).rename(QStringLiteral("Vantrel"), QStringLiteral("Vantrel.moved")) ||
                    !QDir(home.storeFolder()).exists());
        QFile blocker(home.storeFolder());
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    }

    TempConfigHome home;
    CheckState state;
    std::unique_ptr<frmOptions> dialog;
};
