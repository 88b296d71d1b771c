#pragma once

#include <QObject>

class QSocketNotifier;

// Turns SIGTERM and SIGINT into a Qt signal on the user-interface thread. The handler only writes a
// byte to a pipe; the notifier reads it in the event loop (nested loops included), where ending the
// program in order is safe. One instance per process.
class ExitSignals : public QObject {
    Q_OBJECT
public:
    explicit ExitSignals(QObject* parent = nullptr);
    ~ExitSignals() override;

    bool isInstalled() const { return m_notifier != nullptr; }

signals:
    void exitRequested(int signalNumber);

private:
    void readPipe();

    QSocketNotifier* m_notifier = nullptr;
};
