#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <optional>

// The per-user store: one human-readable file per application under $XDG_CONFIG_HOME/Vantrel/.
// Keys keep their creation order; names compare without regard to case.

QString GetSetting(const QString& appName, const QString& section, const QString& key,
                   const QString& defaultValue = QString());
// False when the change could not be made durable (disk full, read-only, lock not obtained).
bool SaveSetting(const QString& appName, const QString& section, const QString& key, const QString& value);
bool DeleteSetting(const QString& appName, const QString& section, const QString& key);
// std::nullopt is the "nothing" result for an absent or empty section; never an empty list.
std::optional<QList<QPair<QString, QString>>> GetAllSettings(const QString& appName, const QString& section);

// Why the application's store file cannot be used as it is now (no permission, an I/O error, not a
// regular file, too large, an unsafe folder or link), in words naming the file or folder; empty when
// it was read or does not exist. Reading never writes, never waits on a pipe and reads at most 64 MiB.
QString StoreReadProblem(const QString& appName);

// Why the last SaveSetting or DeleteSetting of this process failed, in words for a message box.
QString LastStoreError();

// A store file that was found damaged: what could be read from it, and where the damaged file
// was kept aside before it was replaced by what could be read.
struct StoreDamage {
    QString file;           // the store file, full path
    QString keptAs;         // the copy kept aside, full path; empty when it could not be made
    QString failure;        // why it could not be kept aside
    QString repairFailure;  // why it could not be replaced by what could be read; empty when it was
    qsizetype services = 0; // entries read from the Services section
    qsizetype settings = 0; // entries read from the Settings section
    int unreadableLines = 0;
    QString firstProblem; // what made the file damaged first, for example "line 3: ..."
};
// Says once per damaged content that the application's store was found damaged (at start-up, or by a
// write since), keeping the damaged file aside and repairing it now if no write has done so yet;
// nullopt when it is not damaged or this content was already said.
std::optional<StoreDamage> TakeStoreDamage(const QString& appName);
