#pragma once

#include <QString>

// Why the tray program could not reach a display on the platform the toolkit would pick (the
// -platform argument, else QT_QPA_PLATFORM, else the session's own); empty when it can. The toolkit
// aborts the process when its platform cannot connect, so this is asked before it is started.
// platform and display are the toolkit's -platform and -display arguments, empty when not given.
QString UnreachableDisplay(const QString& platform, const QString& display);
