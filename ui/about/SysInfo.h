#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// System-information programs of the common Linux desktops, most detailed first.
QStringList DefaultSysInfoPrograms();

// Full paths of the candidates found as executable files in the folders of pathVariable (a
// colon-separated list, as in PATH), in candidate order. Empty and relative folders are skipped:
// they would run whatever lies in the current folder.
QStringList FindSysInfoPrograms(const QStringList& candidates, const QString& pathVariable);

// Starts the first candidate that will start, detached from this program. When none does, tells the
// user "System Information Is Unavailable At This Time". Returns whether one started.
bool StartSysInfo(QWidget* parent, const QStringList& candidates, const QString& pathVariable);
