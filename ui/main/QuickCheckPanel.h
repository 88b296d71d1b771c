#pragma once

#include "monitor/CheckState.h"

#include <QObject>
#include <QPointer>
#include <QString>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;
class SocketControl;

// What the panel needs from the window it lies on.
class QuickCheckHost {
public:
    virtual ~QuickCheckHost() = default;
    virtual bool IsUnloading() const = 0;
    // While a lookup or a manual check waits, nothing else may start a check on the window's socket.
    virtual void PanelWaitChanged(bool waiting) = 0;
    virtual void RefreshStatus() = 0; // a check cycle, then the board is rebuilt
    virtual void ShowMainWindow() = 0;
};

// The "Check a server" panel: resolve a host name, check one server by hand and save it to the list.
// Its controls lie on the window's client area (the frame and its labels behind the boxes).
class QuickCheckPanel : public QObject {
    Q_OBJECT
public:
    QuickCheckPanel(QWidget* client, QuickCheckHost& host, SocketControl& objSocket, const CheckState& state);

    void cmdResolve_Click();
    void btnConnect_Click();
    void cmdSave_Click();
    // A board row's service, as the last cycle listed it.
    void LoadService(const QString& host, const QString& value);
    // The cycle's lock: Resolve, Save and Check are unavailable while it runs.
    void SetCommandsEnabled(bool enabled);
    bool IsWaiting() const { return m_waiting; }
    // The window closes or the program ends: a lookup or check under way ends at once and its answer
    // is dropped.
    void Abandon();

    QGroupBox* frmCheck = nullptr;
    QLabel* lblHost = nullptr;
    QLineEdit* txtHostName = nullptr;
    QPushButton* cmdResolve = nullptr;
    QLabel* lblIP = nullptr;
    QLineEdit* txtIPAddr = nullptr;
    QLabel* lblPort = nullptr;
    QLineEdit* txtPort = nullptr;
    QPushButton* btnConnect = nullptr;
    QLabel* lblPortLookup = nullptr;
    QComboBox* cboPortLookup = nullptr;
    QPushButton* cmdSave = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void txtHostName_Change();
    void cboPortLookup_Click();
    void ResolveAnswered();
    void CheckAnswered(bool connected);
    void SetWaiting(bool waiting);
    bool Busy() const;
    void Say(const QString& text);
    QWidget* Window() const;

    QuickCheckHost& m_host;
    SocketControl& objSocket;
    const CheckState& m_state;
    bool m_waiting = false;
    QPointer<QWidget> m_focusBeforeWait;
};
