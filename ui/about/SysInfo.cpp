#include "ui/about/SysInfo.h"

#include "ui/common/MessageBox.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

QStringList DefaultSysInfoPrograms() {
    return {
        QStringLiteral("hardinfo2"),
        QStringLiteral("hardinfo"),
        QStringLiteral("kinfocenter"),
        QStringLiteral("gnome-system-monitor"),
        QStringLiteral("mate-system-monitor"),
        QStringLiteral("xfce4-taskmanager"),
        QStringLiteral("lshw-gtk"),
    };
}

QStringList FindSysInfoPrograms(const QStringList& candidates, const QString& pathVariable) {
    QStringList folders;
    for (const QString& folder : pathVariable.split(QLatin1Char(':'), Qt::SkipEmptyParts))
        if (QDir::isAbsolutePath(folder))
            folders.append(folder);

    QStringList found;
    for (const QString& name : candidates) {
        if (name.isEmpty() || name.contains(QLatin1Char('/')))
            continue;
        for (const QString& folder : folders) {
            const QFileInfo program(QDir(folder), name);
            if (program.isFile() && program.isExecutable()) {
                found.append(program.absoluteFilePath());
                break;
            }
        }
    }
    return found;
}

bool StartSysInfo(QWidget* parent, const QStringList& candidates, const QString& pathVariable) {
    for (const QString& program : FindSysInfoPrograms(candidates, pathVariable)) {
        if (QProcess::startDetached(program, {}))
            return true;
    }
    // The about box may be open during a check: nothing it shows may hold the check up.
    MessageBox::note(parent, QStringLiteral("System Information Is Unavailable At This Time"));
    return false;
}
