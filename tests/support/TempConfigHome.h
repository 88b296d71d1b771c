#pragma once

#include <QByteArray>
#include <QDir>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>

// Points the per-user store at a fresh temporary XDG_CONFIG_HOME for the life of the object.
class TempConfigHome {
public:
    TempConfigHome() : m_old(qgetenv("XDG_CONFIG_HOME")), m_hadOld(qEnvironmentVariableIsSet("XDG_CONFIG_HOME")) {
        qputenv("XDG_CONFIG_HOME", m_dir.path().toUtf8());
    }
    ~TempConfigHome() {
        if (m_hadOld)
            qputenv("XDG_CONFIG_HOME", m_old);
        else
            qunsetenv("XDG_CONFIG_HOME");
    }
    TempConfigHome(const TempConfigHome&) = delete;
    TempConfigHome& operator=(const TempConfigHome&) = delete;

    QString path() const { return m_dir.path(); }
    QString storeFolder() const { return m_dir.path() + QStringLiteral("/Vantrel"); }

private:
    QTemporaryDir m_dir;
    QByteArray m_old;
    bool m_hadOld;
};
