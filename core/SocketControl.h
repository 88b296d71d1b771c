#pragma once

#include <QObject>
#include <QString>
#include <functional>

// The program's only way onto the network: IPv4 name lookup and a TCP connect with a time-out.
// Nothing is thrown in the ordinary outcomes (unknown name, refused, unreachable, timed out).
//
// Each operation comes in two forms. The Begin forms start the work and return at once; `done` runs
// on this thread when the answer is there (before the call returns when it is known at once), and
// never after Abort() or the control's end, so an answer can only reach the caller that asked for
// it. The program itself uses only these. The blocking forms (assigning PeerName with
// ResolveOnAssign, OpenConnection) wait in a local event loop until the answer is there.
class SocketControl : public QObject {
    Q_OBJECT
public:
    // Looks a name up on a worker thread: the dotted IPv4 address, or an empty text.
    using Resolver = std::function<QString(const QString& name)>;

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
    // Why the last connect did not open: 0 after one that opened, ETIMEDOUT when nothing answered
    // within the time-out, otherwise the system's error number (ECONNREFUSED, EHOSTUNREACH, ...).
    int LastConnectError() const;

    // PeerName := name, then PeerAddress := what the lookup finds (empty when nothing).
    void BeginLookup(const QString& name, std::function<void()> done);
    // A connect to PeerAddress and PeerPort within the time-out; IsConnected() tells the outcome.
    void BeginConnect(std::function<void()> done);

    // True while a lookup or a connect waits; one started meanwhile fails at once.
    bool IsBusy() const;
    // Ends a wait in progress at once and drops its answer: `done` does not run, a blocking call
    // returns with the failure.
    void Abort();

    // Replaces the system's resolver for every control (tests make lookups slow on purpose); an
    // empty function restores it.
    static void setResolver(Resolver resolver);

private:
    // Waits for `fd` without blocking; `settle(ready)` records the outcome (also on Abort, with
    // false), then `done` runs unless the wait was aborted.
    void Await(int fd, bool forWriting, int timeoutMs, std::function<void(bool ready)> settle,
               std::function<void()> done);
    void Settle(bool ready, bool aborted);
    // Runs a Begin form to its end for a blocking call.
    void RunToEnd(const std::function<void(std::function<void()>)>& begin);

    struct Private;
    Private* d;
};
