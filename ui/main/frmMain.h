#pragma once

#include "core/SocketControl.h"
#include "core/StoreFile.h"
#include "core/StoreNames.h"
#include "core/StoreNotices.h"
#include "monitor/CheckCycle.h"
#include "monitor/CheckHost.h"
#include "monitor/CheckState.h"
#include "monitor/Clock.h"
#include "monitor/Schedule.h"
#include "ui/common/AlarmPlayer.h"
#include "ui/common/DesktopNotifier.h"
#include "ui/common/Twips.h"
#include "ui/main/BoardFooter.h"
#include "ui/main/BoardLayout.h"
#include "ui/main/MainTray.h"
#include "ui/main/QuickCheckPanel.h"
#include "ui/main/StatusBoard.h"
#include "ui/tray/Tray.h"

#include <QIcon>
#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QTimer>
#include <chrono>
#include <memory>
#include <optional>

class QAction;
class QComboBox;
class QDialog;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class TrayBackend;

// The program: lives in the notification area, shows the status board, the quick-check panel and the
// menus, and owns the timer, the socket, the monitoring state and the tray icon.
class frmMain final : public QMainWindow, public CheckHost, private QuickCheckHost {
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
    // The session asks to save before it may end (a log-off that may still be cancelled).
    void CommitData();
    bool IsUnloading() const override { return m_unloading; }

    ::CheckState& checkState() { return m_state; }
    Tray& Tray1() { return m_tray.Control(); }
    MainTray& tray() { return m_tray; }
    SocketControl& objSocket() { return m_socket; }
    Schedule& schedule() { return m_schedule; }
    CheckCycle& cycle() { return m_cycle; }

    // The window's conversion of its layout, in twips, to pixels.
    const TwipsScale& twips() const { return m_twips; }
    // The outer window size in twips, as stored.
    BoardLayout::OuterSize OuterSizeTwips() const;
    void SetOuterSizeTwips(BoardLayout::OuterSize size);
    void ArrangeControls();

    // --- the board ---
    StatusBoard& board() { return *m_board; }
    int RowCount() const { return m_board->RowCount(); }
    QLabel* lblLastChecked() const { return m_board->lblLastChecked; }
    StatusBoardView* pctStatus() const { return m_board->pctStatus; }
    QColor BoardBackground() const { return m_board->Background(); }
    QString StatusImageName() const { return m_tray.StatusImageName(); }
    void lblServiceName_Click(int index);
    void lblLightBG_Click(int index) { lblServiceName_Click(index); }

    // --- the quick-check panel ---
    QuickCheckPanel& panel() { return *m_panel; }
    QLineEdit* txtHostName() const { return m_panel->txtHostName; }
    QPushButton* cmdResolve() const { return m_panel->cmdResolve; }
    QLineEdit* txtIPAddr() const { return m_panel->txtIPAddr; }
    QLineEdit* txtPort() const { return m_panel->txtPort; }
    QPushButton* btnConnect() const { return m_panel->btnConnect; }
    QComboBox* cboPortLookup() const { return m_panel->cboPortLookup; }
    QPushButton* cmdSave() const { return m_panel->cmdSave; }
    void cmdResolve_Click() { m_panel->cmdResolve_Click(); }
    void btnConnect_Click() { m_panel->btnConnect_Click(); }
    void cmdSave_Click() { m_panel->cmdSave_Click(); }

    // --- commands, menus and the link ---
    void cmdStatus_Click();
    void mnuExit_Click() { Unload(); }
    void Settings_Click();
    void mnuContents_Click();
    void mnuAbout_Click();
    void lblHyperlink_Click();
    void RestoreFromTray();

    QPushButton* cmdStatus() const { return m_footer->cmdStatus; }
    QLabel* imgStatus() const { return m_footer->imgStatus; }
    QLabel* lblHyperlink() const { return m_footer->lblHyperlink; }

    // The window's own controls, named as the rest of the program speaks of them.
    QMenu* mnuFile = nullptr;
    QAction* mnuExit = nullptr;
    QMenu* Tools = nullptr;
    QAction* Settings = nullptr;
    QMenu* Help = nullptr;
    QAction* mnuContents = nullptr;
    QAction* mnuAbout = nullptr;

    static constexpr const char* HyperlinkTarget = "http://www.vantrel.example/?ad=qorvix1";
    // How long start-up waits for a notification area that is not there yet before it shows the window.
    static constexpr std::chrono::seconds NotificationAreaWait{10};

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

signals:
    // The window has let go of everything; the application may end its event loop now.
    void unloaded();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void BuildMenus();
    void PlaceControls(const BoardLayout::WindowLayout& layout);
    void SetStatusImage(const QIcon& icon, const QString& name, Light light);
    void Say(const QString& text);
    // Stores the window size when it changed since it was last stored; a check under way (whose
    // probes are being timed) puts it off unless `now`.
    void SaveWindowSize(bool now = false);
    // Tells damage the store found since the last look, when nothing waits.
    void TellStoreDamage();
    void TellStore(const QString& text);

    // QuickCheckHost
    void PanelWaitChanged(bool waiting) override;
    void RefreshStatus() override;

    int Px(double twips) const;  // horizontal
    int PxY(double twips) const; // vertical
    double TwipsX(int pixels) const;
    double TwipsY(int pixels) const;
    int MenuBarHeight() const;

    SystemClock m_systemClock;
    const Clock& m_clock;
    TwipsScale m_twips;
    // The last size set in twips, with the pixels it asked for.
    std::optional<std::pair<BoardLayout::OuterSize, QSize>> m_sizeSet;
    ::CheckState m_state;
    // The window's thread never waits long for the store: only saves the user asked for do.
    StoreFile::BriefLockWaits m_briefLockWaits;
    StoreNotices m_storeNotices{StoreNames::App};
    // Restarted by every layout: the size is stored once a resize has ended.
    QTimer m_sizeSaveTimer;
    std::optional<BoardLayout::OuterSize> m_layoutSize; // of the last layout
    std::optional<BoardLayout::OuterSize> m_savedSize;  // as the store holds it
    SocketControl m_socket;
    bool m_askDesktopForTray = false; // no backend or availability given: the desktop's own area
    bool m_trayAvailable = false;
    MainTray m_tray;
    Schedule m_schedule;
    CheckCycle m_cycle;
    AlarmPlayer m_alarm;
    DesktopNotifier m_notifier;

    QWidget* m_client = nullptr;
    QuickCheckPanel* m_panel = nullptr;
    StatusBoard* m_board = nullptr;
    BoardFooter* m_footer = nullptr;

    QString m_helpFile;
    QPointer<QDialog> m_about;
    QPointer<QWidget> m_focusBeforeLock;
    QPointer<QWidget> m_focusAfterLock;
    bool m_unloading = false;
    bool m_arranging = false;
};
