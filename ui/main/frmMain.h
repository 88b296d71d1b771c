#pragma once

#include "core/SocketControl.h"
#include "monitor/CheckCycle.h"
#include "monitor/CheckHost.h"
#include "monitor/CheckState.h"
#include "monitor/Clock.h"
#include "monitor/Schedule.h"
#include "ui/common/AlarmPlayer.h"
#include "ui/main/BoardLayout.h"
#include "ui/tray/Tray.h"

#include <QIcon>
#include <QList>
#include <QMainWindow>
#include <memory>
#include <optional>

class QAction;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QScrollBar;
class LightShape;
class TrayBackend;

// The program: lives in the notification area, shows the status board, the quick-check panel and the
// menus, and owns the timer, the socket, the monitoring state and the tray icon.
class frmMain final : public QMainWindow, public CheckHost, public TrayIndicator {
    Q_OBJECT
public:
    struct Options {
        std::unique_ptr<TrayBackend> trayBackend; // none: the desktop's notification area
        // Whether the desktop has a notification area; unset asks the desktop (an injected
        // backend counts as one).
        std::optional<bool> trayAvailable;
        const Clock* clock = nullptr; // none: the system clock
    };

    frmMain();
    explicit frmMain(Options options);
    ~frmMain() override;

    // Start-up: size, layout, seeding, the icon, the first check, then the schedule.
    void Form_Load();
    // Ends the program in order, also from inside a check, a manual check or an open question box.
    void Unload();
    bool IsUnloading() const { return m_unloading; }

    ::CheckState& checkState() { return m_state; }
    Tray& Tray1() { return *m_tray; }
    SocketControl& objSocket() { return m_socket; }
    Schedule& schedule() { return m_schedule; }
    CheckCycle& cycle() { return m_cycle; }

    // The outer window size in twips, as stored.
    BoardLayout::OuterSize OuterSizeTwips() const;
    void SetOuterSizeTwips(BoardLayout::OuterSize size);
    void ArrangeControls();

    // --- the board ---
    int RowCount() const { return int(m_lblServiceName.size()); }
    double RowTopTwips(int i) const { return m_rowTop.value(i); }
    QLabel* lblServiceName(int i) const { return m_lblServiceName.value(i); }
    LightShape* shpServiceLight(int i) const { return m_shpServiceLight.value(i); }
    QLabel* lblLightBG(int i) const { return m_lblLightBG.value(i); }
    QColor BoardBackground() const;
    QString StatusImageName() const { return m_statusImageName; }
    void VScroll1_Change();
    void lblServiceName_Click(int index);
    void lblLightBG_Click(int index) { lblServiceName_Click(index); }

    // --- the quick-check panel and the commands ---
    void cmdResolve_Click();
    void btnConnect_Click();
    void cmdSave_Click();
    void cmdStatus_Click();
    void mnuExit_Click() { Unload(); }
    void Settings_Click();
    void mnuContents_Click();
    void mnuAbout_Click();
    void lblHyperlink_Click();
    void RestoreFromTray();

    // The window's controls, named as the rest of the program speaks of them.
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
    QLabel* lblLastChecked = nullptr;
    QFrame* pctStatus = nullptr;
    QScrollBar* VScroll1 = nullptr;
    QPushButton* cmdStatus = nullptr;
    QLabel* imgStatus = nullptr;
    QLabel* lblHyperlink = nullptr;
    QMenu* mnuFile = nullptr;
    QAction* mnuExit = nullptr;
    QMenu* Tools = nullptr;
    QAction* Settings = nullptr;
    QMenu* Help = nullptr;
    QAction* mnuContents = nullptr;
    QAction* mnuAbout = nullptr;

    static constexpr const char* HyperlinkCaption = "HTTP://WWW.VANTREL.EXAMPLE/";
    static constexpr const char* HyperlinkTarget = "http://www.vantrel.example/?ad=qorvix1";

    // CheckHost
    void LockCommands() override;
    void UnlockCommands() override;
    void ShowStatusLight(Light light) override;
    void ShowMainWindow() override;
    bool IsMainWindowVisible() const override;
    void DisplayServiceStatus() override;
    void ClearBoardRows() override;
    bool AskYesNo(const QString& text) override;
    void Inform(const QString& text) override;
    void PlayAlarm() override;

    // TrayIndicator
    QString TrayToolTip() const override;
    void SetTrayToolTip(const QString& text) override;
    void SetTrayImageToLight(Light light) override;
    void SetTrayImageToStatus() override;
    bool IsVisible() const override;
    void Show() override;

signals:
    // The window has let go of everything; the application may end its event loop now.
    void unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildMenus();
    void BuildPanel(QWidget* client);
    void BuildBoard(QWidget* client);
    void CreateRow();
    void DestroyRowsAboveZero();
    void PlaceRow(int i);
    void PlaceControls(const BoardLayout::WindowLayout& layout);
    void txtHostName_Change();
    void cboPortLookup_Click();
    void OnTrayMouseClick(int button);
    void OnTrayLeftClick();
    void TrayShow(bool visible);
    void SetStatusImage(const QIcon& icon, const QString& name);
    // While a lookup or a manual check waits on objSocket, nothing else may use it.
    void SetPanelWaiting(bool waiting);
    bool PanelBusy() const;
    void Say(const QString& text);

    int Px(double twips) const;  // horizontal
    int PxY(double twips) const; // vertical
    double TwipsX(int pixels) const;
    double TwipsY(int pixels) const;
    int MenuBarHeight() const;

    SystemClock m_systemClock;
    const Clock& m_clock;
    ::CheckState m_state;
    SocketControl m_socket;
    std::unique_ptr<Tray> m_tray;
    bool m_trayAvailable = false;
    Schedule m_schedule;
    CheckCycle m_cycle;
    AlarmPlayer m_alarm;

    QWidget* m_client = nullptr;
    QWidget* m_boardCanvas = nullptr; // the board's inner area, inside its border
    QList<QLabel*> m_lblServiceName;
    QList<LightShape*> m_shpServiceLight;
    QList<QLabel*> m_lblLightBG;
    QList<double> m_rowTop;

    QIcon m_statusIcon;
    QString m_statusImageName;
    QString m_trayImageName;
    QString m_helpFile;
    bool m_panelWaiting = false;
    bool m_unloading = false;
    bool m_arranging = false;
};
