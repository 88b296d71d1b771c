#include "ui/common/SingleInstance.h"

#include <QDeadlineTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>
#include <unistd.h>

namespace {
const QByteArray kActivateRequest = QByteArrayLiteral("activate\n");
// A request is one short line; anything longer is not ours and is dropped.
constexpr qint64 kMaxRequestBytes = 64;
} // namespace

SingleInstance::SingleInstance(const QString& socketPath, QObject* parent)
    : QObject(parent), m_socketPath(socketPath), m_lock(socketPath + QStringLiteral(".lock")) {
    // Only a lock whose process has died is stale; a long-running instance keeps its lock forever.
    m_lock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() {
    // Stop listening before giving up the lock, so whoever takes the lock next finds no live socket.
    if (m_server)
        m_server->close();
    m_server.reset();
    if (m_lock.isLocked())
        m_lock.unlock();
}

QString SingleInstance::DefaultSocketPath() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
    return folder + QStringLiteral("/vantrel-local-") + QString::number(::getuid());
}

bool SingleInstance::tryBecomePrimary() {
    if (m_primary)
        return true;
    if (!m_lock.tryLock(0)) {
        if (m_lock.error() == QLockFile::LockFailedError)
            return false;
        qWarning("Cannot create the lock file %s; running without the one-instance guard.",
                 qPrintable(m_lock.fileName()));
        m_primary = true;
        return true;
    }
    m_primary = true;

    // Holding the lock means no live instance listens: a socket file still there is a crash's left-over.
    QLocalServer::removeServer(m_socketPath);
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server.get(), &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
    if (!m_server->listen(m_socketPath))
        qWarning("Cannot listen on %s: %s", qPrintable(m_socketPath), qPrintable(m_server->errorString()));
    return true;
}

void SingleInstance::acceptConnections() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readRequest(socket); });
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    }
}

void SingleInstance::readRequest(QLocalSocket* socket) {
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > kMaxRequestBytes)
            socket->abort();
        return;
    }
    const QByteArray line = socket->readLine(kMaxRequestBytes + 1);
    socket->disconnectFromServer();
    if (line == kActivateRequest)
        emit activationRequested();
}

bool SingleInstance::notifyPrimary(const QString& socketPath, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    QLocalSocket socket;
    for (;;) {
        socket.connectToServer(socketPath);
        if (socket.waitForConnected(int(deadline.remainingTime())))
            break;
        socket.abort();
        if (deadline.hasExpired())
            return false;
        // The first instance may hold the lock but not listen yet; look again shortly.
        QThread::msleep(50);
    }
    socket.write(kActivateRequest);
    const bool sent = socket.waitForBytesWritten(int(deadline.remainingTime()));
    socket.disconnectFromServer();
    return sent;
}
