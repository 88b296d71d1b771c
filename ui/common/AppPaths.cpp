#include "ui/common/AppPaths.h"

#include <QCoreApplication>

QString ProgramFolder() { return QCoreApplication::applicationDirPath(); }
QString AlarmSoundPath() { return ProgramFolder() + QStringLiteral("/sos.wav"); }
QString HelpFilePath() { return ProgramFolder() + QStringLiteral("/qorvix.html"); }
