#pragma once

#include <QCursor>
#include <QIcon>
#include <QString>

// Pictures the program carries, loaded by name: "GREENLED", "YELLOWLED", "REDLED" (16 x 16 lights),
// "PROGRAM" (the program icon, also the status image before the first check).
QIcon LoadIconResource(const QString& name);
// The hand cursor "Hyperlink" of the web link.
QCursor LoadCursorResource(const QString& name);
