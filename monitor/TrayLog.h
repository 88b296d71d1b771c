#pragma once

#include <QLoggingCategory>

// "vantrel.tray": every image and tooltip the main window shows in the notification area, its
// removal and every click on it, one line each (line breaks escaped). Silent unless enabled, e.g.
// QT_LOGGING_RULES="vantrel.tray.info=true"; the desktop end-to-end test reads these lines.
Q_DECLARE_LOGGING_CATEGORY(lcTray)
