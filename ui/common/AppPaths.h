#pragma once

#include <QString>

// Files that lie beside the program.
QString ProgramFolder();
QString AlarmSoundPath(); // sos.wav
QString HelpFilePath();   // the help page, recorded at start-up as the application's help file
