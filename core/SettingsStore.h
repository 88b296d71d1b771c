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

// Why the last SaveSetting or DeleteSetting of this process failed, in words for a message box.
QString LastStoreError();
