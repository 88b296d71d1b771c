#include "ui/main/frmMain.h"

#include "core/PortLookup.h"
#include "core/SettingsStore.h"
#include "core/StoreNames.h"
#include "core/Texts.h"
#include "core/clsConverter.h"
#include "monitor/CheckSettings.h"
#include "monitor/ProbeService.h"
#include "resources/Resources.h"
#include "ui/about/frmAbout.h"
#include "ui/common/AppPaths.h"
#include "ui/common/DesktopOpener.h"
#include "ui/common/FitText.h"
#include "ui/common/MessageBox.h"
#include "ui/common/ServiceWrites.h"
#include "ui/common/Twips.h"
#include "ui/main/LightShape.h"
#include "ui/main/TrayLog.h"
#include "ui/options/frmOptions.h"
#include "ui/tray/TrayBackend.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QSessionManager>
#include <QTimer>
#include <QUrl>
#include <cmath>

Q_LOGGING_CATEGORY(lcTray, "vantrel.tray", QtWarningMsg)
// "vantrel.board": each row as the board draws it (host name quoted, up or down, time text). Silent
// unless enabled; the desktop end-to-end tests read it, as label texts cannot be read from X.
Q_LOGGING_CATEGORY(lcBoard, "vantrel.board", QtWarningMsg)

namespace {
const QString InvalidPort = QStringLiteral("Invalid port");
const QString InvalidIPAddressCheck = QStringLiteral("Invalid IP Address");
const QString CheckSucceeded = QStringLiteral("Success!");
const QString CheckFailed = QStringLiteral("Failed to connect");
const QString RefreshQuestion = QStringLiteral("Refresh service status display?");
const QString RefreshTitle = QStringLiteral("Service change");
const QString BoardBusy = QStringLiteral("Currently checking services. Please wait");
const QString StartupToolTip = QStringLiteral("Click to see server status");
const QString ProgramImage = QStringLiteral("PROGRAM");

const QColor LightUp(0, 255, 0);
const QColor LightDown(255, 0, 0);
const QColor TintedRow(128, 192, 255);

QString LightImageName(Light light) {
    switch (light) {
    case LightGreen:
        return QStringLiteral("GREENLED");
    case LightYellow:
        return QStringLiteral("YELLOWLED");
    case LightRed:
        return QStringLiteral("REDLED");
    case LightNone:
        break;
    }
    return {};
}

// One log line per tray event: line breaks and quotes escaped so a reader can split on lines.
QString Quoted(const QString& text) {
    QString escaped = text;
    escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
        .replace(QLatin1Char('"'), QStringLiteral("\\\""))
        .replace(QLatin1Char('\r'), QStringLiteral("\\r"))
        .replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

void SetBackground(QWidget* widget, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, color);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}
} // namespace

frmMain::frmMain() : frmMain(Options{}) {}

frmMain::frmMain(Options options)
    : m_clock(options.clock ? *options.clock : m_systemClock),
      m_trayAvailable(options.trayAvailable.value_or(options.trayBackend != nullptr || Tray::IsAvailable())),
      m_schedule(m_state, m_clock), m_cycle(m_state, *this, *this, m_socket, m_clock) {
    m_tray = std::make_unique<Tray>(std::move(options.trayBackend));

    setWindowTitle(Texts::AppTitle);
    setWindowIcon(LoadIconResource(ProgramImage));
    // A sizable border without a maximise button: the layout only grows the board.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    m_client = new QWidget(this);
    // The layout is fixed in twips; the controls' captions were sized for an 8-point font.
    QFont clientFont = m_client->font();
    clientFont.setPointSizeF(8);
    m_client->setFont(clientFont);
    setCentralWidget(m_client);
    BuildMenus();
    BuildPanel(m_client);
    BuildBoard(m_client);

    setMinimumSize(Px(BoardLayout::MinOuterWidth - BoardLayout::NonClientWidth),
                   PxY(BoardLayout::MinOuterHeight - BoardLayout::NonClientHeight) + MenuBarHeight());
    SetOuterSizeTwips({});
    SetStatusImage(LoadIconResource(ProgramImage), ProgramImage);

    connect(&m_schedule, &Schedule::due, this, [this] { m_cycle.CheckServices(true); });
    connect(m_tray.get(), &Tray::MouseClick, this, &frmMain::OnTrayMouseClick);
    connect(m_tray.get(), &Tray::LeftClick, this, &frmMain::OnTrayLeftClick);
    connect(m_tray.get(), &Tray::RightClick, this, [] { qCInfo(lcTray).noquote() << "click RightClick"; });
    if (auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        connect(gui, &QGuiApplication::commitDataRequest, this, [this] { Unload(); });
}

frmMain::~frmMain() {
    m_state.blnExitRequested = true;
    if (m_tray->IsVisible())
        TrayShow(false);
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

void frmMain::BuildPanel(QWidget* client) {
    auto place = [this](QWidget* widget, double left, double top, double width, double height) {
        widget->setGeometry(Px(left), PxY(top), Px(width), PxY(height));
    };
    auto label = [&](QWidget* parent, const QString& text, double left, double top, double width,
                     double height) {
        auto* result = new QLabel(text, parent);
        result->setTextFormat(Qt::PlainText);
        place(result, left, top, width, height);
        FitCaption(result, 6);
        return result;
    };

    frmCheck = new QGroupBox(QStringLiteral("Check a server"), client);
    place(frmCheck, 120, 120, 5175, 1695);
    lblHost = label(frmCheck, QStringLiteral("Host:"), 120, 360, 495, 255);
    lblIP = label(frmCheck, QStringLiteral("IP:"), 120, 840, 495, 255);
    lblPort = label(frmCheck, QStringLiteral("Port:"), 2640, 840, 495, 255);
    lblPortLookup = label(frmCheck, QStringLiteral("Port lookup:"), 120, 1260, 855, 255);

    cboPortLookup = new QComboBox(frmCheck);
    place(cboPortLookup, 1080, 1200, 2555, 315);
    for (const PortLookupEntry& entry : kPortLookup)
        cboPortLookup->addItem(QString::fromLatin1(entry.name), entry.port);
    cboPortLookup->setCurrentIndex(-1);

    // The entry boxes and buttons lie on the window itself, drawn over the frame.
    txtHostName = new QLineEdit(client);
    place(txtHostName, 720, 360, 3015, 375);
    cmdResolve = new QPushButton(QStringLiteral("Resolve"), client);
    place(cmdResolve, 3840, 360, 1335, 375);
    txtIPAddr = new QLineEdit(client);
    place(txtIPAddr, 720, 840, 1815, 375);
    txtPort = new QLineEdit(client);
    place(txtPort, 3120, 840, 615, 375);
    btnConnect = new QPushButton(QStringLiteral("Check"), client);
    place(btnConnect, 3840, 840, 1335, 375);
    cmdSave = new QPushButton(QStringLiteral("Save Service"), client);
    place(cmdSave, 3840, 1320, 1335, 375);
    for (QWidget* widget : {static_cast<QWidget*>(txtHostName), static_cast<QWidget*>(cmdResolve),
                            static_cast<QWidget*>(txtIPAddr), static_cast<QWidget*>(txtPort),
                            static_cast<QWidget*>(btnConnect), static_cast<QWidget*>(cmdSave)})
        widget->raise();

    QWidget::setTabOrder(btnConnect, txtHostName);
    QWidget::setTabOrder(txtHostName, txtIPAddr);
    QWidget::setTabOrder(txtIPAddr, txtPort);
    QWidget::setTabOrder(txtPort, cmdSave);
    QWidget::setTabOrder(cmdSave, cmdResolve);
    QWidget::setTabOrder(cmdResolve, cboPortLookup);

    txtHostName->installEventFilter(this);
    connect(txtHostName, &QLineEdit::textChanged, this, &frmMain::txtHostName_Change);
    connect(cboPortLookup, &QComboBox::activated, this, &frmMain::cboPortLookup_Click);
    connect(cboPortLookup, &QComboBox::currentIndexChanged, this, &frmMain::cboPortLookup_Click);
    connect(cmdResolve, &QPushButton::clicked, this, &frmMain::cmdResolve_Click);
    connect(btnConnect, &QPushButton::clicked, this, &frmMain::btnConnect_Click);
    connect(cmdSave, &QPushButton::clicked, this, &frmMain::cmdSave_Click);
}

void frmMain::BuildBoard(QWidget* client) {
    lblLastChecked = new QLabel(client);
    lblLastChecked->setTextFormat(Qt::PlainText);
    lblLastChecked->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblLastChecked->setGeometry(Px(120), PxY(1920), Px(5055), PxY(255));

    pctStatus = new QFrame(client);
    pctStatus->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pctStatus->setLineWidth(Px(BoardLayout::BoardBorder));
    pctStatus->setFocusPolicy(Qt::ClickFocus);
    m_boardCanvas = new QWidget(pctStatus);
    m_boardCanvas->setAutoFillBackground(true);

    VScroll1 = new QScrollBar(Qt::Vertical, m_boardCanvas);
    VScroll1->setRange(0, 0);
    VScroll1->hide();
    connect(VScroll1, &QScrollBar::valueChanged, this, &frmMain::VScroll1_Change);

    CreateRow();
    m_lblServiceName[0]->hide();
    m_shpServiceLight[0]->hide();
    m_lblLightBG[0]->hide();

    cmdStatus = new QPushButton(QStringLiteral("Check all saved services now"), client);
    cmdStatus->setGeometry(Px(120), PxY(4920), Px(2535), PxY(375));
    connect(cmdStatus, &QPushButton::clicked, this, &frmMain::cmdStatus_Click);

    imgStatus = new QLabel(client);
    imgStatus->setGeometry(Px(3000), PxY(4920), Px(240), PxY(240));

    lblHyperlink = new QLabel(QString::fromLatin1(HyperlinkCaption), client);
    lblHyperlink->setTextFormat(Qt::PlainText);
    lblHyperlink->setAlignment(Qt::AlignCenter);
    QFont font = lblHyperlink->font();
    font.setBold(true);
    font.setUnderline(true);
    font.setPointSizeF(13.5);
    lblHyperlink->setFont(font);
    QPalette palette = lblHyperlink->palette();
    palette.setColor(QPalette::WindowText, palette.color(QPalette::Active, QPalette::Highlight));
    lblHyperlink->setPalette(palette);
    lblHyperlink->setGeometry(Px(120), PxY(5400), Px(BoardLayout::HyperlinkWidth), PxY(375));
    FitCaption(lblHyperlink, 8);
    lblHyperlink->installEventFilter(this);

    SetBackground(m_boardCanvas, txtHostName->palette().color(QPalette::Base));
}

// A row as copies of row 0: light first, then the two labels. The light is kept above the
// response-time label, whose left end it covers.
void frmMain::CreateRow() {
    const int index = RowCount();
    auto* light = new LightShape(m_boardCanvas);
    auto* name = new QLabel(m_boardCanvas);
    auto* time = new QLabel(m_boardCanvas);
    name->setTextFormat(Qt::PlainText);
    time->setTextFormat(Qt::PlainText);
    name->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    time->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    for (QLabel* label : {name, time}) {
        label->setProperty("rowIndex", index);
        label->installEventFilter(this);
    }
    light->raise();
    VScroll1->raise();
    m_shpServiceLight.append(light);
    m_lblServiceName.append(name);
    m_lblLightBG.append(time);
    m_rowTop.append(index == 0 ? 0 : BoardLayout::RowParkedAfterRebuild);
    PlaceRow(index);
}

void frmMain::DestroyRowsAboveZero() {
    for (int i = RowCount() - 1; i >= 1; --i) {
        delete m_lblServiceName.takeAt(i);
        delete m_shpServiceLight.takeAt(i);
        delete m_lblLightBG.takeAt(i);
        m_rowTop.removeAt(i);
    }
}

// ---------------------------------------------------------------------------------------------
// Geometry

int frmMain::Px(double twips) const {
    return TwipsToPixels(twips, logicalDpiX());
}
int frmMain::PxY(double twips) const {
    return TwipsToPixels(twips, logicalDpiY());
}
double frmMain::TwipsX(int pixels) const {
    return PixelsToTwips(pixels, logicalDpiX());
}
double frmMain::TwipsY(int pixels) const {
    return PixelsToTwips(pixels, logicalDpiY());
}
int frmMain::MenuBarHeight() const {
    return menuBar()->sizeHint().height();
}

// The client area is the outer size less a fixed allowance for the border and title; the menu bar
// sits inside Qt's window, above the client area.
BoardLayout::OuterSize frmMain::OuterSizeTwips() const {
    const int width = int(std::lround(TwipsX(this->width()))) + BoardLayout::NonClientWidth;
    const int height =
        int(std::lround(TwipsY(this->height() - MenuBarHeight()))) + BoardLayout::NonClientHeight;
    // Pixel rounding must not make a window at its minimum look smaller than the minimum.
    return {qMax(width, BoardLayout::MinOuterWidth), qMax(height, BoardLayout::MinOuterHeight)};
}

void frmMain::SetOuterSizeTwips(BoardLayout::OuterSize size) {
    resize(Px(size.width - BoardLayout::NonClientWidth),
           PxY(size.height - BoardLayout::NonClientHeight) + MenuBarHeight());
}

void frmMain::PlaceRow(int i) {
    const BoardLayout::WindowLayout layout =
        BoardLayout::ArrangeLayout(OuterSizeTwips(), RowCount(), m_rowTop[0]);
    const double top = m_rowTop[i];
    m_lblServiceName[i]->setGeometry(0, PxY(top + 30), Px(layout.nameWidth), PxY(210));
    m_shpServiceLight[i]->setGeometry(Px(layout.lightLeft), PxY(top), Px(255), PxY(255));
    m_lblLightBG[i]->setGeometry(Px(layout.timeLeft), PxY(top + 30), Px(layout.timeWidth), PxY(210));
}

void frmMain::PlaceControls(const BoardLayout::WindowLayout& layout) {
    const BoardLayout::Rect& board = layout.pctStatus;
    pctStatus->setGeometry(Px(board.left), PxY(board.top), Px(board.width), PxY(board.height));
    m_boardCanvas->setGeometry(Px(BoardLayout::BoardBorder), PxY(BoardLayout::BoardBorder),
                               Px(layout.boardInnerWidth), PxY(layout.boardInnerHeight));
    const BoardLayout::Rect& bar = layout.VScroll1;
    VScroll1->setGeometry(Px(bar.left), PxY(bar.top), Px(bar.width), PxY(bar.height));
    VScroll1->setVisible(layout.scrollBarVisible);
    cmdStatus->move(cmdStatus->x(), PxY(layout.cmdStatusTop));
    imgStatus->move(imgStatus->x(), PxY(layout.imgStatusTop));
    lblHyperlink->move(Px(layout.hyperlinkLeft), PxY(layout.hyperlinkTop));
    for (int i = 0; i < RowCount(); ++i)
        PlaceRow(i);
}

void frmMain::ArrangeControls() {
    if (isMinimized() || m_arranging)
        return;
    m_arranging = true;
    const int rows = RowCount();
    BoardLayout::WindowLayout layout = BoardLayout::ArrangeLayout(OuterSizeTwips(), rows, m_rowTop[0]);
    if (layout.size != OuterSizeTwips()) {
        SetOuterSizeTwips(layout.size);
        layout = BoardLayout::ArrangeLayout(OuterSizeTwips(), rows, m_rowTop[0]);
    }
    PlaceControls(layout);
    // The size is remembered on every layout; a store that cannot be written only loses the size,
    // and a message on every resize would make the window unusable.
    SaveSetting(StoreNames::App, StoreNames::Settings, StoreNames::MainFormHeight,
                QString::number(layout.size.height));
    SaveSetting(StoreNames::App, StoreNames::Settings, StoreNames::MainFormWidth,
                QString::number(layout.size.width));
    m_arranging = false;
}

void frmMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    ArrangeControls();
}

// ---------------------------------------------------------------------------------------------
// Start-up and ending

void frmMain::Form_Load() {
    m_state.FirstCheckPending = true;
    const QString height = GetSetting(StoreNames::App, StoreNames::Settings, StoreNames::MainFormHeight);
    const QString width = GetSetting(StoreNames::App, StoreNames::Settings, StoreNames::MainFormWidth);
    SetOuterSizeTwips(BoardLayout::RestoredOuterSize(height, width));
    ArrangeControls();
    SetBackground(m_boardCanvas, txtHostName->palette().color(QPalette::Base));
    m_helpFile = HelpFilePath();
    lblHyperlink->setCursor(LoadCursorResource(QStringLiteral("Hyperlink")));
    // The readers fall back to the same defaults, so a store that refuses the seeds loses nothing.
    SeedCheckSettings();
    // Told before the first check, so the user knows why services or settings may be missing.
    if (const auto damage = TakeStoreDamage(StoreNames::App))
        MessageBox::inform(this, Texts::StoreDamaged(*damage));

    SetTrayImageToStatus();
    SetTrayToolTip(StartupToolTip);
    m_tray->setEventMode(1);
    if (m_state.LastCheckTime.isNull()) {
        TrayShow(true);
        // Without a notification area the window is the only way to reach the program.
        if (m_trayAvailable)
            hide();
        else
            show();
        m_cycle.CheckServices(false);
        if (m_unloading)
            return;
        TrayShow(true);
    }
    m_schedule.LoadCheckFrequency();
}

void frmMain::Unload() {
    if (m_unloading)
        return;
    m_unloading = true;
    m_state.blnExitRequested = true;
    m_schedule.Timer1().stop();
    // A lookup or connect that waits returns at once; a running cycle stops before its next probe.
    m_socket.Abort();
    // Any open question box or dialog returns, so the code that opened it can unwind.
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<QDialog*>(widget); dialog && dialog->isVisible())
            dialog->reject();
    }
    if (m_tray->IsVisible())
        TrayShow(false);
    hide();
    emit unloaded();
}

void frmMain::closeEvent(QCloseEvent* event) {
    if (m_unloading) {
        event->accept();
        return;
    }
    event->ignore();
    if (!m_trayAvailable) {
        showMinimized();
        return;
    }
    SetTrayImageToStatus();
    TrayShow(true);
    hide();
}

void frmMain::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange || !isMinimized() || !m_trayAvailable || m_unloading)
        return;
    // Hidden after the state change has been handled, so the window system sees a completed change.
    QTimer::singleShot(0, this, [this] {
        if (isMinimized())
            hide();
    });
}

// ---------------------------------------------------------------------------------------------
// The tray

void frmMain::TrayShow(bool visible) {
    if (visible && m_unloading)
        return;
    m_tray->Show(visible);
    if (visible)
        qCInfo(lcTray).noquote() << "shown image=" + m_trayImageName +
                                        " tooltip=" + Quoted(m_tray->TrayToolTip());
    else
        qCInfo(lcTray).noquote() << "removed";
}

QString frmMain::TrayToolTip() const {
    return m_tray->TrayToolTip();
}
void frmMain::SetTrayToolTip(const QString& text) {
    m_tray->setTrayToolTip(text);
}

void frmMain::SetTrayImageToLight(Light light) {
    if (light == LightNone) {
        SetTrayImageToStatus();
        return;
    }
    m_trayImageName = LightImageName(light);
    m_tray->setTrayImage(LoadIconResource(m_trayImageName));
}

void frmMain::SetTrayImageToStatus() {
    m_trayImageName = m_statusImageName;
    m_tray->setTrayImage(m_statusIcon);
}

bool frmMain::IsVisible() const {
    return m_tray->IsVisible();
}
void frmMain::Show() {
    TrayShow(true);
}

void frmMain::OnTrayMouseClick(int button) {
    qCInfo(lcTray).noquote() << "click MouseClick button=" + QString::number(button);
    if (button == 1)
        RestoreFromTray();
}

void frmMain::OnTrayLeftClick() {
    qCInfo(lcTray).noquote() << "click LeftClick";
    RestoreFromTray();
}

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
    cmdStatus->setEnabled(false);
    setCursor(Qt::WaitCursor);
    Tools->menuAction()->setEnabled(false);
    cmdResolve->setEnabled(false);
    cmdSave->setEnabled(false);
    btnConnect->setEnabled(false);
}

void frmMain::UnlockCommands() {
    cmdStatus->setEnabled(true);
    unsetCursor();
    Tools->menuAction()->setEnabled(true);
    cmdResolve->setEnabled(true);
    cmdSave->setEnabled(true);
    btnConnect->setEnabled(true);
}

void frmMain::SetStatusImage(const QIcon& icon, const QString& name) {
    m_statusIcon = icon;
    m_statusImageName = name;
    imgStatus->setPixmap(icon.pixmap(imgStatus->size()));
}

void frmMain::ShowStatusLight(Light light) {
    if (light != LightNone)
        SetStatusImage(LoadIconResource(LightImageName(light)), LightImageName(light));
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

QColor frmMain::BoardBackground() const {
    return m_boardCanvas->palette().color(QPalette::Window);
}

void frmMain::DisplayServiceStatus() {
    if (m_unloading)
        return;
    if (m_state.blnCheckInProgress) {
        Say(BoardBusy);
        return;
    }
    if (!m_state.ServiceList || m_state.ServiceList->isEmpty())
        return;
    const ServicePairs& services = *m_state.ServiceList;
    const QColor background = BoardBackground();

    DestroyRowsAboveZero();
    for (int i = 0; i < services.size(); ++i) {
        if (i > 0)
            CreateRow();
        QLabel* name = m_lblServiceName[i];
        QLabel* time = m_lblLightBG[i];
        LightShape* light = m_shpServiceLight[i];
        m_rowTop[i] = BoardLayout::RebuildRowTop(i);
        SetBackground(name, background);
        name->setText(services[i].first);
        name->show();
        SetBackground(time, background);
        time->setText(BoardLayout::ResponseTimeText(m_state.ResponseTime.value(i)));
        time->show();
        light->setFillColor(m_state.ServiceUp.value(i) ? LightUp : LightDown);
        light->show();
        if (BoardLayout::IsTintedRow(i)) {
            SetBackground(name, TintedRow);
            SetBackground(time, TintedRow);
        }
        PlaceRow(i);
        qCInfo(lcBoard) << "row" << i << name->text() << (m_state.ServiceUp.value(i) ? "up" : "down")
                        << time->text();
    }
    VScroll1->setMinimum(0);
    VScroll1->setMaximum(int(services.size()) + 2);
    lblLastChecked->setText(BoardLayout::StatusAsOfText(m_state.LastCheckTime));
    ArrangeControls();
}

void frmMain::ClearBoardRows() {
    DestroyRowsAboveZero();
    m_shpServiceLight[0]->hide();
    m_lblServiceName[0]->hide();
    m_lblLightBG[0]->hide();
}

void frmMain::VScroll1_Change() {
    const int value = VScroll1->value();
    for (int i = 0; i < RowCount(); ++i) {
        m_rowTop[i] = BoardLayout::ScrolledRowTop(i, value);
        PlaceRow(i);
    }
    pctStatus->setFocus();
}

bool frmMain::PanelBusy() const {
    return m_state.blnCheckInProgress || m_panelWaiting || m_socket.IsBusy();
}

void frmMain::lblServiceName_Click(int index) {
    if (PanelBusy() || m_unloading)
        return;
    if (!m_state.ServiceList || index < 0 || index >= m_state.ServiceList->size())
        return;
    const auto& [host, value] = m_state.ServiceList->at(index);
    const clsConverter Converter;
    txtHostName->setText(host);
    // Every value the program stores has the colon; one typed into the store without it is shown
    // whole as the address rather than losing its last character.
    const QString port = value.contains(QLatin1Char(':')) ? Converter.getPort(value) : QString();
    txtPort->setText(port);
    txtIPAddr->setText(value.contains(QLatin1Char(':')) ? value.left(value.size() - port.size() - 1) : value);
}

bool frmMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtHostName && event->type() == QEvent::FocusOut) {
        m_socket.setResolveOnAssign(false);
    } else if (event->type() == QEvent::MouseButtonRelease &&
               static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == lblHyperlink) {
            lblHyperlink_Click();
        } else if (auto* label = qobject_cast<QLabel*>(watched);
                   label && label->property("rowIndex").isValid()) {
            const int index = label->property("rowIndex").toInt();
            if (m_lblLightBG.value(index) == label)
                lblLightBG_Click(index);
            else
                lblServiceName_Click(index);
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------------------
// The quick-check panel

void frmMain::SetPanelWaiting(bool waiting) {
    m_panelWaiting = waiting;
    if (m_state.blnCheckInProgress)
        return; // the cycle re-enables the commands when it ends
    cmdStatus->setEnabled(!waiting);
    cmdSave->setEnabled(!waiting);
    cmdResolve->setEnabled(!waiting && !txtHostName->text().contains(QLatin1Char(' ')));
    btnConnect->setEnabled(!waiting);
}

void frmMain::txtHostName_Change() {
    // The text decides, except that nothing may use the socket while a check or lookup holds it.
    cmdResolve->setEnabled(!txtHostName->text().contains(QLatin1Char(' ')) && !PanelBusy());
}

void frmMain::cboPortLookup_Click() {
    const QVariant port = cboPortLookup->currentData();
    if (port.isValid())
        txtPort->setText(QString::number(port.toInt()));
}

void frmMain::cmdResolve_Click() {
    if (PanelBusy() || m_unloading)
        return;
    SetPanelWaiting(true);
    m_socket.setResolveOnAssign(true);
    m_socket.setPeerName(txtHostName->text());
    const bool found = !m_socket.PeerAddress().isEmpty();
    SetPanelWaiting(false);
    if (m_unloading)
        return;
    if (found) {
        const clsConverter Converter;
        txtIPAddr->setText(Converter.GetFirstOctet(m_socket.PeerAddress() + QLatin1Char(':')) +
                           QLatin1Char('.'));
        txtIPAddr->setText(txtIPAddr->text() +
                           Converter.GetSecondOctet(m_socket.PeerAddress() + QLatin1Char(':')) +
                           QLatin1Char('.'));
        txtIPAddr->setText(txtIPAddr->text() +
                           Converter.GetThirdOctet(m_socket.PeerAddress() + QLatin1Char(':')) +
                           QLatin1Char('.'));
        txtIPAddr->setText(txtIPAddr->text() +
                           Converter.GetFourthOctet(m_socket.PeerAddress() + QLatin1Char(':')));
    } else {
        Say(Texts::UnknownHost);
        txtHostName->setFocus();
    }
    m_socket.setResolveOnAssign(false);
    m_socket.setPeerName(QString());
    m_socket.setPeerAddress(QString());
    if (m_unloading)
        return;
    // Names of web and file servers suggest their port, whether or not they resolved.
    const QString prefix = txtHostName->text().left(3);
    if (prefix == QLatin1String("www"))
        txtPort->setText(QStringLiteral("80"));
    else if (prefix == QLatin1String("ftp"))
        txtPort->setText(QStringLiteral("21"));
}

void frmMain::btnConnect_Click() {
    if (PanelBusy() || m_unloading)
        return;
    btnConnect->setEnabled(false);
    setCursor(Qt::WaitCursor);
    const clsConverter Converter;
    auto refuse = [this](const QString& text) {
        btnConnect->setEnabled(true);
        unsetCursor();
        Say(text);
    };
    if (!Converter.ValidPort(txtPort->text()))
        return refuse(InvalidPort);
    if (!Converter.ValidIP(txtIPAddr->text()))
        return refuse(InvalidIPAddressCheck);

    const QString entry =
        txtHostName->text() + QLatin1Char(' ') + txtIPAddr->text() + QLatin1Char(':') + txtPort->text();
    SetPanelWaiting(true);
    const bool connected = ProbeService(m_socket, Converter, m_state.TimeoutMs, entry);
    SetPanelWaiting(false);
    btnConnect->setEnabled(false); // until the outcome has been read
    if (!m_unloading) {
        if (connected)
            MessageBox::show(this, CheckSucceeded, MessageBox::Buttons::Ok, MessageBox::Icon::Information);
        else
            MessageBox::show(this, CheckFailed, MessageBox::Buttons::Ok, MessageBox::Icon::Exclamation);
    }
    if (m_state.blnCheckInProgress)
        return;
    btnConnect->setEnabled(true);
    unsetCursor();
}

void frmMain::cmdSave_Click() {
    if (PanelBusy() || m_unloading)
        return;
    const clsConverter Converter;
    const QString host = txtHostName->text();
    const QString address = txtIPAddr->text();
    const QString port = txtPort->text();
    if (!Converter.ValidIP(address))
        return Say(Texts::InvalidIPAddress);
    if (!Converter.ValidPort(port))
        return Say(InvalidPort);
    if (host.trimmed().isEmpty())
        return Say(Texts::InvalidHostName);
    if (!ConfirmServiceOverwrite(this, host) || m_unloading)
        return;
    // Only a change that reached the disk is reported as saved; the boxes keep the typed texts.
    if (!WriteServiceAndReport(this, host, address + QLatin1Char(':') + port))
        return;
    txtHostName->setText(QString());
    txtIPAddr->setText(QString());
    txtPort->setText(QString());
    if (m_unloading)
        return;
    if (MessageBox::askYesNo(this, RefreshQuestion, RefreshTitle) && !m_unloading)
        m_cycle.RefreshStatus(false);
    ShowMainWindow();
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
}

void frmMain::mnuContents_Click() {
    DesktopOpener::open(QUrl::fromLocalFile(m_helpFile.isEmpty() ? HelpFilePath() : m_helpFile));
}

void frmMain::mnuAbout_Click() {
    frmAbout dlg(this);
    dlg.exec();
}

void frmMain::lblHyperlink_Click() {
    // The outcome is not examined: a missing browser leaves no message.
    try {
        DesktopOpener::open(QUrl(QString::fromLatin1(HyperlinkTarget)));
    } catch (...) {
    }
}
