#pragma once

#include "core/SettingsStore.h"
#include "core/StoreNames.h"
#include "core/Texts.h"
#include "monitor/CheckState.h"
#include "tests/support/TempConfigHome.h"
#include "ui/common/MessageBox.h"
#include "ui/options/frmOptions.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

// A fresh store, answered message boxes, and the dialog opened on it the way the main window does.
class OptionsFixture : public ::testing::Test {
protected:
    void SetUp() override { MessageBox::resetTestMode(); }

    void Open() {
        dialog = std::make_unique<frmOptions>(state);
        dialog->show();
    }
    template <typename W = QWidget> W* Child(const QString& name) const {
        W* widget = dialog->findChild<W*>(name);
        EXPECT_NE(widget, nullptr) << name.toStdString();
        return widget;
    }
    QLineEdit* Box(const QString& name) const { return Child<QLineEdit>(name); }
    // The texts of several boxes, named and joined with "|".
    QString Boxes(const QString& names) const {
        QStringList texts;
        for (const QString& name : names.split(' '))
            texts.append(Box(name)->text());
        return texts.join('|');
    }
    void Click(const QString& name) const { Child<QPushButton>(name)->click(); }
    // Resolve, and the events until its answer is there.
    void Resolve() const {
        Click("cmdResolve");
        ASSERT_TRUE(QTest::qWaitFor([this] { return !dialog->SocketOptions().IsBusy(); }, 15000));
    }
    bool Shown(const QString& name) const { return Child(name)->isVisibleTo(dialog.get()); }

    static void Store(const QString& section, const QString& key, const QString& value) {
        ASSERT_TRUE(SaveSetting(StoreNames::App, section, key, value));
    }
    static QStringList Stored(const QString& section) {
        QStringList lines;
        for (const auto& [key, value] : GetAllSettings(StoreNames::App, section).value_or(ServicePairs{}))
            lines.append(key + " " + value);
        return lines;
    }
    static QStringList Messages() {
        QStringList texts;
        for (const MessageBox::Record& record : MessageBox::takeRecords())
            texts.append(record.text);
        return texts;
    }
    // From here on every write fails: the store's folder is taken by a plain file.
    void BreakStore() const {
        QDir(home.path()).rename("Vantrel", "Vantrel.moved");
        QFile blocker(home.storeFolder());
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    }

    TempConfigHome home;
    CheckState state;
    std::unique_ptr<frmOptions> dialog;
};
