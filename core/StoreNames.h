#pragma once

#include <QString>

// Names in the per-user store. Names compare without regard to case inside the store.
namespace StoreNames {
inline const QString App = QStringLiteral("Vantrel");
inline const QString Services = QStringLiteral("Services");
inline const QString Settings = QStringLiteral("Settings");

inline const QString Timeout = QStringLiteral("Timeout");
inline const QString Frequency = QStringLiteral("Frequency");
inline const QString Green = QStringLiteral("Green");
inline const QString Yellow = QStringLiteral("Yellow");
inline const QString Red = QStringLiteral("Red");
inline const QString Sound = QStringLiteral("Sound");
inline const QString MainFormWidth = QStringLiteral("MainFormWidth");
inline const QString MainFormHeight = QStringLiteral("MainFormHeight");
} // namespace StoreNames
