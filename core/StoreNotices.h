#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// What the program tells the user about its store, each thing once: a store it cannot use (at
// start-up), damage (once for each damaged content, found at start-up or later), and failed saves the
// program made on its own (once, until one succeeds again). Decides the texts; the window shows them.
class StoreNotices {
public:
    explicit StoreNotices(const QString& appName) : m_appName(appName) {}

    // The boxes to show at start-up, before the first check, in order.
    QStringList AtStartUp();
    // A box for damage found since the last look, if any.
    std::optional<QString> DamageFoundSince();
    // After a save the program made on its own (the window size): the box to show, if any.
    std::optional<QString> AfterOwnSave(bool saved);

private:
    QString m_appName;
    bool m_failureTold = false;
};
