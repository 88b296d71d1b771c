#pragma once

#include <QObject>
#include <QString>

// The program's only way onto the network: IPv4 name lookup and a TCP connect with a time-out.
// Blocking calls wait in a local event loop, so windows keep painting while they wait; nothing is
// thrown in the ordinary outcomes (unknown name, refused, unreachable, timed out).
class SocketControl : public QObject {
    Q_OBJECT
public:
    explicit SocketControl(QObject* parent = nullptr);
    ~SocketControl() override;

    void setResolveOnAssign(bool);
    bool ResolveOnAssign() const;
    void setPeerName(const QString&); // looks the name up when ResolveOnAssign is true
    QString PeerName() const;
    void setPeerAddress(const QString&);
    QString PeerAddress() const;      // dotted IPv4, empty when not found
    void setPeerPort(qint16);         // ports above 32767 arrive as port - 65536
    void setConnectTimeoutMs(qint16); // zero or less means the default of 10 seconds, never "forever"
    void OpenConnection();            // blocks until connected, refused or timed out
    bool IsConnected() const;
    void CloseConnection();

    // True while a lookup or a connect waits; a second caller must not start one meanwhile.
    bool IsBusy() const;
    // Ends a wait in progress at once (used when the program exits mid-call); the call reports failure.
    void Abort();

private:
    enum class WaitOutcome { Ready, Failed, ControlDestroyed };
    // Waits in a local event loop until fd is ready, the time-out passes or Abort() is called.
    WaitOutcome Wait(int fd, bool forWriting, int timeoutMs);

    struct Private;
    Private* d;
};
