#pragma once

#include <QString>

class QWidget;

// The steps both windows take when the user saves a service, so they ask and report alike.

// True when the host name is free, or the user agreed to overwrite the service stored under it.
bool ConfirmServiceOverwrite(QWidget* parent, const QString& host);
// Writes the service; confirms it with the value read back from the store, or reports why the
// change could not be made durable (never "has been saved" then). True when it was saved.
bool WriteServiceAndReport(QWidget* parent, const QString& host, const QString& value);
