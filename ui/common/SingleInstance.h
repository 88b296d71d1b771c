#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>

class QLocalServer;
class QLocalSocket;

// Keeps one running program per user. The first start holds a lock file and listens on a local
// socket beside it; a later start finds the lock taken, asks the first one to bring its window
// forward and ends. Left-overs of a crashed run (a lock naming a dead process, a socket file nobody
// answers on) are taken over, so a crash never locks the user out.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // socketPath: the local socket the first instance listens on; the lock file is socketPath + ".lock".
    explicit SingleInstance(const QString& socketPath = DefaultSocketPath(), QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this object is now the one instance: it holds the lock and listens. False only when
    // another live instance holds the lock. When no lock can be made at all (the folder cannot be
    // written), this answers true as well: refusing to start would be worse than a second copy.
    bool tryBecomePrimary();
    bool isPrimary() const { return m_primary; }

    // Asks the instance listening on socketPath to bring its main window forward. Waits up to
    // timeoutMs for it to listen (it may be starting at this very moment). False when no one took
    // the request.
    static bool notifyPrimary(const QString& socketPath = DefaultSocketPath(), int timeoutMs = 3000);

    // Per user: in the user's private runtime folder, with the uid in the name for the /tmp fallback.
    static QString DefaultSocketPath();

signals:
    void activationRequested();

private:
    void acceptConnections();
    void readRequest(QLocalSocket* socket);

    QString m_socketPath;
    QLockFile m_lock;
    std::unique_ptr<QLocalServer> m_server;
    bool m_primary = false;
};
