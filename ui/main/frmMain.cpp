#include "ui/main/frmMain.h"

#include "core/SettingsStore.h"
#include "core/StoreNames.h"
#include "core/Texts.h"
#include "monitor/CheckSettings.h"
#include "resources/Resources.h"
#include "ui/about/frmAbout.h"
#include "ui/common/AppPaths.h"
#include "ui/common/DesktopOpener.h"
#include "ui/common/MessageBox.h"
#include "ui/common/Twips.h"
#include "ui/options/frmOptions.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QSessionManager>
#include <QTimer>
#include <QUrl>
#include <cmath>

namespace {
const QString BoardBusy = QStringLiteral("Currently checking services. Please wait");
const QString StartupToolTip = QStringLiteral("Click to see server status");
const QString ProgramImage = QStringLiteral("PROGRAM");
// A resize is taken as ended when no layout has followed for this long.
constexpr int kResizeEndedMs = 400;
} // namespace

frmMain::frmMain() : frmMain(Options{}) {}

frmMain::frmMain(Options options)
    : m_clock(options.clock ? *options.clock : m_systemClock), m_twips(this),
      m_askDesktopForTray(!options.trayAvailable && !options.trayBackend),
      m_trayAvailable(options.trayAvailable.value_or(options.trayBackend != nullptr || Tray::IsAvailable())),
      m_tray(std::move(options.trayBackend)), m_schedule(m_state, m_clock),
      m_cycle(m_state, *this, m_tray, m_socket, m_clock) {
    m_sizeSaveTimer.setSingleShot(true);
    m_sizeSaveTimer.setInterval(kResizeEndedMs);
    connect(&m_sizeSaveTimer, &QTimer::timeout, this, [this] { SaveWindowSize(); });

    setWindowTitle(Texts::AppTitle);
    setWindowIcon(LoadIconResource(ProgramImage));
    // A sizable border without a maximise button: the layout only grows the board.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    m_client = new QWidget(this);
    setCentralWidget(m_client);
    BuildMenus();
    m_panel = new QuickCheckPanel(m_client, *this, m_socket, m_state);
    m_board = new StatusBoard(m_client);
    m_footer = new BoardFooter(m_client);
    m_board->SetBackground(txtHostName()->palette().color(QPalette::Base));
    connect(m_footer->cmdStatus, &QPushButton::clicked, this, &frmMain::cmdStatus_Click);
    connect(m_footer, &BoardFooter::linkClicked, this, &frmMain::lblHyperlink_Click);
    connect(m_board, &StatusBoard::rowClicked, this, &frmMain::lblServiceName_Click);
    // Tab follows the window from top to bottom: the panel, the board, then what lies below it.
    QWidget::setTabOrder(m_panel->cboPortLookup, m_board->pctStatus);
    QWidget::setTabOrder(m_board->pctStatus, m_footer->cmdStatus);
    QWidget::setTabOrder(m_footer->cmdStatus, m_footer->lblHyperlink);

    setMinimumSize(Px(BoardLayout::MinOuterWidth - BoardLayout::NonClientWidth),
                   PxY(BoardLayout::MinOuterHeight - BoardLayout::NonClientHeight) + MenuBarHeight());
    SetOuterSizeTwips({});
    SetStatusImage(LoadIconResource(ProgramImage), ProgramImage, LightNone);

    connect(&m_schedule, &Schedule::due, this, [this] { m_cycle.CheckServices(true); });
    connect(&m_tray, &MainTray::leftClicked, this, &frmMain::RestoreFromTray);
    connect(&m_cycle, &CheckCycle::alertRaised, this, [this](const DesktopAlert& alert) {
        m_notifier.Notify(alert.summary, alert.body, alert.critical);
    });
    // Choosing the notification opens the window as a click on the icon does.
    connect(&m_notifier, &DesktopNotifier::activated, this, &frmMain::RestoreFromTray);
    connect(&m_tray, &MainTray::notificationAreaSettled, this, [this](bool found) {
        m_trayAvailable = found;
        // Without a notification area the window is the only way to reach the program.
        if (!found && !m_unloading)
            show();
    });
    // A log-off request may still be cancelled: the program saves, and ends only when the
    // application is really told to quit.
    if (auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        connect(gui, &QGuiApplication::commitDataRequest, this, [this](QSessionManager&) { CommitData(); });
        connect(gui, &QCoreApplication::aboutToQuit, this, &frmMain::Unload);
        // The session manager's "die" arrives as the application's quit event. Qt first asks the windows
        // to close and gives the quit up when one stays shown: this window refuses (it hides instead),
        // Qt stops asking there, and the icon's own window, when its turn had not come yet (the order
        // varies), stays shown. So the end is ours to do, before Qt's round.
        gui->installEventFilter(this);
    }
}

frmMain::~frmMain() {
    m_state.blnExitRequested = true;
    m_tray.RemoveForGood();
}

// ---------------------------------------------------------------------------------------------
// Construction of the controls

void frmMain::BuildMenus() {
    // Plain captions: the menus carry no access keys or shortcuts.
    mnuFile = menuBar()->addMenu(QStringLiteral("File"));
    mnuExit = mnuFile->addAction(QStringLiteral("Exit and unload"));
    Tools = menuBar()->addMenu(QStringLiteral("Tools"));
    Settings = Tools->addAction(QStringLiteral("Options"));
    Help = menuBar()->addMenu(QStringLiteral("Help"));
    mnuContents = Help->addAction(QStringLiteral("Contents"));
    mnuAbout = Help->addAction(QStringLiteral("About"));

    connect(mnuExit, &QAction::triggered, this, &frmMain::mnuExit_Click);
    connect(Settings, &QAction::triggered, this, &frmMain::Settings_Click);
    connect(mnuContents, &QAction::triggered, this, &frmMain::mnuContents_Click);
    connect(mnuAbout, &QAction::triggered, this, &frmMain::mnuAbout_Click);
}

// ---------------------------------------------------------------------------------------------
// Geometry

int frmMain::Px(double twips) const {
    return m_twips.X(twips);
}
int frmMain::PxY(double twips) const {
    return m_twips.Y(twips);
}
double frmMain::TwipsX(int pixels) const {
    return m_twips.TwipsX(pixels);
}
double frmMain::TwipsY(int pixels) const {
    return m_twips.TwipsY(pixels);
}
int frmMain::MenuBarHeight() const {
    return menuBar()->sizeHint().height();
}

// The client area is the outer size less a fixed allowance for the border and title; the menu bar
// sits inside Qt's window, above the client area.
BoardLayout::OuterSize frmMain::OuterSizeTwips() const {
    // A pixel is more than a twip: a size set in twips reads back as set while the window keeps the
    // pixels it gave, so a stored size survives being restored.
    if (m_sizeSet && m_sizeSet->second == size())
        return m_sizeSet->first;
    const int width = int(std::lround(TwipsX(this->width()))) + BoardLayout::NonClientWidth;
    const int height =
        int(std::lround(TwipsY(this->height() - MenuBarHeight()))) + BoardLayout::NonClientHeight;
    // Pixel rounding must not make a window at its minimum look smaller than the minimum.
    return {qMax(width, BoardLayout::MinOuterWidth), qMax(height, BoardLayout::MinOuterHeight)};
}

void frmMain::SetOuterSizeTwips(BoardLayout::OuterSize size) {
    const QSize pixels(Px(size.width - BoardLayout::NonClientWidth),
                       PxY(size.height - BoardLayout::NonClientHeight) + MenuBarHeight());
    m_sizeSet = {size, pixels};
    resize(pixels);
}

void frmMain::PlaceControls(const BoardLayout::WindowLayout& layout) {
    m_board->Place(layout);
    m_footer->Place(layout);
}

void frmMain::ArrangeControls() {
    if (isMinimized() || m_arranging)
        return;
    m_arranging = true;
    BoardLayout::WindowLayout layout = BoardLayout::ArrangeLayout(OuterSizeTwips(), m_board->TimeTextTwips());
    if (layout.size != OuterSizeTwips()) {
        SetOuterSizeTwips(layout.size);
        layout = BoardLayout::ArrangeLayout(OuterSizeTwips(), m_board->TimeTextTwips());
    }
    PlaceControls(layout);
    m_layoutSize = layout.size;
    if (m_layoutSize != m_savedSize)
        m_sizeSaveTimer.start();
    m_arranging = false;
}

void frmMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    ArrangeControls();
}

void frmMain::hideEvent(QHideEvent* event) {
    QMainWindow::hideEvent(event);
    SaveWindowSize();
}

void frmMain::SaveWindowSize(bool now) {
    m_sizeSaveTimer.stop();
    if (!m_layoutSize || m_layoutSize == m_savedSize)
        return;
    if (!now && !m_unloading && (m_state.blnCheckInProgress || m_socket.IsBusy())) {
        m_sizeSaveTimer.start();
        return;
    }
    const BoardLayout::OuterSize size = *m_layoutSize;
    const bool saved = SaveSetting(StoreNames::App, StoreNames::Settings, StoreNames::MainFormHeight,
                                   QString::number(size.height)) &&
                       SaveSetting(StoreNames::App, StoreNames::Settings, StoreNames::MainFormWidth,
                                   QString::number(size.width));
    if (saved)
        m_savedSize = size;
    // A store that cannot be written loses only the size: said once, not on every resize.
    if (const auto text = m_storeNotices.AfterOwnSave(saved))
        TellStore(*text);
    TellStoreDamage();
}

void frmMain::TellStoreDamage() {
    if (m_unloading || m_state.blnCheckInProgress || m_socket.IsBusy())
        return; // told the next time, when nothing waits
    if (const auto text = m_storeNotices.DamageFoundSince())
        TellStore(*text);
}

void frmMain::TellStore(const QString& text) {
    // Without a loop of its own, so nothing that starts while it is open waits on it.
    if (!m_unloading)
        MessageBox::note(this, text);
}

// ---------------------------------------------------------------------------------------------
// Start-up and ending

void frmMain::Form_Load() {
    m_state.FirstCheckPending = true;
    const QString height = GetSetting(StoreNames::App, StoreNames::Settings, StoreNames::MainFormHeight);
    const QString width = GetSetting(StoreNames::App, StoreNames::Settings, StoreNames::MainFormWidth);
    SetOuterSizeTwips(BoardLayout::RestoredOuterSize(height, width));
    if (!height.isEmpty() && !width.isEmpty())
        m_savedSize = BoardLayout::RestoredOuterSize(height, width);
    ArrangeControls();
    m_board->SetBackground(txtHostName()->palette().color(QPalette::Base));
    m_helpFile = HelpFilePath();
    m_footer->SetLinkCursor();
    // The readers fall back to the same defaults, so a store that refuses the seeds loses nothing.
    SeedCheckSettings();
    // Told before the first check, so the user knows why services or settings may be missing.
    for (const QString& text : m_storeNotices.AtStartUp())
        MessageBox::inform(this, text);

    m_tray.SetTrayImageToStatus();
    m_tray.SetTrayToolTip(StartupToolTip);
    m_tray.Control().setEventMode(1);
    if (m_state.LastCheckTime.isNull()) {
        m_tray.ShowIcon(true);
        // Without a notification area the window is the only way to reach the program; at login the
        // panel often comes up a little after the program, so it is given a moment to appear.
        if (m_trayAvailable)
            hide();
        else if (m_askDesktopForTray)
            m_tray.WaitForNotificationArea(&Tray::IsAvailable, NotificationAreaWait);
        else
            show();
        m_cycle.CheckServices(false);
        if (m_unloading)
            return;
        m_tray.ShowIcon(true);
    }
    m_schedule.LoadCheckFrequency();
}

void frmMain::Unload() {
    if (m_unloading)
        return;
    m_unloading = true;
    m_state.blnExitRequested = true;
    m_schedule.Timer1().stop();
    // A cycle or a manual check that waits on the network ends at once, its answer dropped.
    m_cycle.Stop();
    m_panel->Abandon();
    m_socket.Abort();
    // Any open question box or dialog returns, so the code that opened it can unwind.
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<QDialog*>(widget); dialog && dialog->isVisible())
            dialog->reject();
    }
    m_tray.RemoveForGood();
    hide();
    emit unloaded();
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Quit && watched == QCoreApplication::instance())
        Unload();
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::closeEvent(QCloseEvent* event) {
    if (m_unloading) {
        event->accept();
        return;
    }
    event->ignore();
    m_panel->Abandon();
    if (!m_trayAvailable) {
        showMinimized();
        return;
    }
    m_tray.SetTrayImageToStatus();
    m_tray.ShowIcon(true);
    hide();
}

void frmMain::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || !isMinimized() || !m_trayAvailable || m_unloading)
        return;
    m_panel->Abandon();
    // Hidden after the state change has been handled, so the window system sees a completed change.
    QTimer::singleShot(0, this, [this] {
        if (isMinimized())
            hide();
    });
}

// ---------------------------------------------------------------------------------------------
// Tray events

void frmMain::RestoreFromTray() {
    if (m_unloading)
        return;
    showNormal();
    raise();
    activateWindow();
    DisplayServiceStatus();
}

// ---------------------------------------------------------------------------------------------
// What the check cycle asks of the window

void frmMain::LockCommands() {
    // The button loses the focus while disabled; it gets it back when the check ends, unless the user
    // has put the focus somewhere else meanwhile, so the next key press checks again.
    m_focusBeforeLock = focusWidget() == cmdStatus() ? cmdStatus() : nullptr;
    // Meanwhile the focus waits on the board, where a key does nothing during a check, not on the
    // control after the button (the link, which a second Enter would open).
    if (m_focusBeforeLock)
        pctStatus()->setFocus(Qt::OtherFocusReason);
    cmdStatus()->setEnabled(false);
    setCursor(Qt::WaitCursor);
    Tools->menuAction()->setEnabled(false);
    m_panel->SetCommandsEnabled(false);
    m_focusAfterLock = focusWidget();
}

void frmMain::UnlockCommands() {
    cmdStatus()->setEnabled(true);
    unsetCursor();
    Tools->menuAction()->setEnabled(true);
    m_panel->SetCommandsEnabled(true);
    if (m_focusBeforeLock && m_focusBeforeLock->isEnabled() && focusWidget() == m_focusAfterLock)
        m_focusBeforeLock->setFocus(Qt::OtherFocusReason);
    m_focusBeforeLock = nullptr;
    m_focusAfterLock = nullptr;
    // The check has read the store; told once the cycle has unwound.
    QTimer::singleShot(0, this, [this] { TellStoreDamage(); });
}

void frmMain::SetStatusImage(const QIcon& icon, const QString& name, Light light) {
    m_tray.SetStatusImage(icon, name);
    m_footer->ShowLight(icon, light);
}

void frmMain::ShowStatusLight(Light light) {
    if (light != LightNone)
        SetStatusImage(LoadIconResource(LightImageName(light)), LightImageName(light), light);
}

void frmMain::ShowMainWindow() {
    if (m_unloading)
        return;
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
}

bool frmMain::IsMainWindowVisible() const {
    return isVisible();
}

bool frmMain::AskYesNo(const QString& text) {
    return !m_unloading && MessageBox::askYesNo(this, text);
}

void frmMain::Inform(const QString& text) {
    Say(text);
}

void frmMain::Say(const QString& text) {
    if (!m_unloading)
        MessageBox::inform(this, text);
}

void frmMain::PlayAlarm() {
    if (!m_unloading)
        m_alarm.play();
}

// ---------------------------------------------------------------------------------------------
// The board

void frmMain::DisplayServiceStatus() {
    if (m_unloading)
        return;
    if (m_state.blnCheckInProgress) {
        // Shown without a loop of its own: the cycle goes on while the note stays open.
        MessageBox::note(this, BoardBusy);
        return;
    }
    if (m_board->Display(m_state))
        ArrangeControls();
}

void frmMain::ClearBoardRows() {
    m_board->Clear();
}

void frmMain::lblServiceName_Click(int index) {
    if (!m_state.ServiceList || index < 0 || index >= m_state.ServiceList->size())
        return;
    const auto& [host, value] = m_state.ServiceList->at(index);
    m_panel->LoadService(host, value);
}

// ---------------------------------------------------------------------------------------------
// What the quick-check panel asks of the window

void frmMain::PanelWaitChanged(bool waiting) {
    // No check may start on the socket, and no dialog open, while the panel waits; the cycle
    // re-enables its own locks when it ends.
    if (m_state.blnCheckInProgress)
        return;
    cmdStatus()->setEnabled(!waiting);
    Tools->menuAction()->setEnabled(!waiting);
}

void frmMain::CommitData() {
    // Everything else reaches the store when it changes; the window size when a resize ends.
    if (!isMinimized())
        ArrangeControls();
    SaveWindowSize(true);
}

void frmMain::RefreshStatus() {
    m_cycle.RefreshStatus(false);
}

// ---------------------------------------------------------------------------------------------
// Commands, menus and the link

void frmMain::cmdStatus_Click() {
    if (!m_unloading)
        m_cycle.RefreshStatus(false);
}

void frmMain::Settings_Click() {
    {
        frmOptions dlg(m_state, this);
        dlg.exec();
    }
    if (!m_unloading)
        m_schedule.LoadCheckFrequency();
    TellStoreDamage();
}

void frmMain::mnuContents_Click() {
    DesktopOpener::open(QUrl::fromLocalFile(m_helpFile.isEmpty() ? HelpFilePath() : m_helpFile));
}

// The about box opens without a loop of its own, so a check under way goes on while it stays open.
void frmMain::mnuAbout_Click() {
    if (m_about) {
        m_about->raise();
        m_about->activateWindow();
        return;
    }
    auto* about = new frmAbout(this);
    about->setAttribute(Qt::WA_DeleteOnClose);
    m_about = about;
    about->open();
}

void frmMain::lblHyperlink_Click() {
    // The outcome is not examined: a missing browser leaves no message.
    try {
        DesktopOpener::open(QUrl(QString::fromLatin1(HyperlinkTarget)));
    } catch (...) {
    }
}
