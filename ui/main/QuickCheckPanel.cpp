#include "ui/main/QuickCheckPanel.h"

#include "core/PortLookup.h"
#include "core/SocketControl.h"
#include "core/Texts.h"
#include "core/clsConverter.h"
#include "monitor/ProbeService.h"
#include "ui/common/AccessibleNames.h"
#include "ui/common/MessageBox.h"
#include "ui/common/ServiceWrites.h"
#include "ui/common/TextRoom.h"
#include "ui/common/Twips.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
const QString InvalidPort = QStringLiteral("Invalid port");
const QString InvalidIPAddressCheck = QStringLiteral("Invalid IP Address");
const QString CheckSucceeded = QStringLiteral("Success!");
const QString CheckFailed = QStringLiteral("Failed to connect");
const QString RefreshQuestion = QStringLiteral("Refresh service status display?");
const QString RefreshTitle = QStringLiteral("Service change");
} // namespace

QuickCheckPanel::QuickCheckPanel(QWidget* client, QuickCheckHost& host, SocketControl& socket,
                                 const CheckState& state)
    : QObject(client), m_host(host), objSocket(socket), m_state(state) {
    const TwipsScale twips(client);
    auto place = [&twips](QWidget* widget, double left, double top, double width, double height) {
        widget->setGeometry(twips.Rect(left, top, width, height));
    };
    auto label = [&](QWidget* parent, const QString& text, double left, double top, double width,
                     double height) {
        auto* result = new QLabel(text, parent);
        result->setTextFormat(Qt::PlainText);
        place(result, left, top, width, height);
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
    // The port box holds the highest port, growing towards its caption; a caption whose text would
    // run into its box moves left.
    WidenTo(txtPort, NeededWidth(txtPort, QStringLiteral("65535")), true);
    WidenCaptions(frmCheck);
    EndBefore(lblHost, txtHostName);
    EndBefore(lblIP, txtIPAddr);
    EndBefore(lblPort, txtPort);
    EndBefore(lblPortLookup, cboPortLookup);
    CentreBeside(lblHost, txtHostName);
    CentreBeside(lblIP, txtIPAddr);
    CentreBeside(lblPort, txtPort);
    CentreBeside(lblPortLookup, cboPortLookup);
    for (QWidget* widget : {static_cast<QWidget*>(txtHostName), static_cast<QWidget*>(cmdResolve),
                            static_cast<QWidget*>(txtIPAddr), static_cast<QWidget*>(txtPort),
                            static_cast<QWidget*>(btnConnect), static_cast<QWidget*>(cmdSave)})
        widget->raise();

    // Each caption names the box beside it for assistive technology.
    NameAfterCaption(txtHostName, lblHost);
    NameAfterCaption(txtIPAddr, lblIP);
    NameAfterCaption(txtPort, lblPort);
    NameAfterCaption(cboPortLookup, lblPortLookup);

    QWidget::setTabOrder(btnConnect, txtHostName);
    QWidget::setTabOrder(txtHostName, txtIPAddr);
    QWidget::setTabOrder(txtIPAddr, txtPort);
    QWidget::setTabOrder(txtPort, cmdSave);
    QWidget::setTabOrder(cmdSave, cmdResolve);
    QWidget::setTabOrder(cmdResolve, cboPortLookup);

    txtHostName->installEventFilter(this);
    connect(txtHostName, &QLineEdit::textChanged, this, &QuickCheckPanel::txtHostName_Change);
    connect(cboPortLookup, &QComboBox::activated, this, &QuickCheckPanel::cboPortLookup_Click);
    connect(cboPortLookup, &QComboBox::currentIndexChanged, this, &QuickCheckPanel::cboPortLookup_Click);
    connect(cmdResolve, &QPushButton::clicked, this, &QuickCheckPanel::cmdResolve_Click);
    connect(btnConnect, &QPushButton::clicked, this, &QuickCheckPanel::btnConnect_Click);
    connect(cmdSave, &QPushButton::clicked, this, &QuickCheckPanel::cmdSave_Click);
}

QWidget* QuickCheckPanel::Window() const {
    return txtHostName->window();
}

void QuickCheckPanel::Say(const QString& text) {
    if (!m_host.IsUnloading())
        MessageBox::inform(Window(), text);
}

bool QuickCheckPanel::Busy() const {
    return m_state.blnCheckInProgress || m_waiting || objSocket.IsBusy() || m_host.IsUnloading();
}

bool QuickCheckPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == txtHostName && event->type() == QEvent::FocusOut)
        objSocket.setResolveOnAssign(false);
    return QObject::eventFilter(watched, event);
}

void QuickCheckPanel::SetCommandsEnabled(bool enabled) {
    cmdResolve->setEnabled(enabled);
    cmdSave->setEnabled(enabled);
    btnConnect->setEnabled(enabled);
}

// While a lookup or a manual check waits, nothing the user does may change what its answer is
// written into: the boxes are read-only and the commands unavailable, but everything still paints.
void QuickCheckPanel::SetWaiting(bool waiting) {
    if (waiting)
        m_focusBeforeWait = QApplication::focusWidget();
    m_waiting = waiting;
    for (QLineEdit* box : {txtHostName, txtIPAddr, txtPort})
        box->setReadOnly(waiting);
    cboPortLookup->setEnabled(!waiting);
    if (waiting)
        Window()->setCursor(Qt::WaitCursor);
    else if (!m_state.blnCheckInProgress)
        Window()->unsetCursor();
    m_host.PanelWaitChanged(waiting);
    if (!m_state.blnCheckInProgress) { // otherwise the cycle re-enables the commands when it ends
        cmdSave->setEnabled(!waiting);
        cmdResolve->setEnabled(!waiting && !txtHostName->text().contains(QLatin1Char(' ')));
        btnConnect->setEnabled(!waiting);
    }
    // A button disabled for the wait gave its focus away; it comes back to where it was.
    if (!waiting && m_focusBeforeWait && m_focusBeforeWait->isEnabled())
        m_focusBeforeWait->setFocus();
}

void QuickCheckPanel::Abandon() {
    if (!m_waiting)
        return;
    objSocket.Abort(); // the answer is dropped: nothing is written and nothing is said
    objSocket.setResolveOnAssign(false);
    SetWaiting(false);
    btnConnect->setEnabled(!m_state.blnCheckInProgress);
}

void QuickCheckPanel::txtHostName_Change() {
    // The text decides, except that nothing may use the socket while a check or lookup holds it.
    cmdResolve->setEnabled(!txtHostName->text().contains(QLatin1Char(' ')) && !Busy());
}

void QuickCheckPanel::cboPortLookup_Click() {
    const QVariant port = cboPortLookup->currentData();
    if (port.isValid())
        txtPort->setText(QString::number(port.toInt()));
}

void QuickCheckPanel::LoadService(const QString& host, const QString& value) {
    if (Busy())
        return;
    const clsConverter Converter;
    txtHostName->setText(host);
    // Every value the program stores has the colon; one typed into the store without it is shown
    // whole as the address rather than losing its last character.
    const QString port = value.contains(QLatin1Char(':')) ? Converter.getPort(value) : QString();
    txtPort->setText(port);
    txtIPAddr->setText(value.contains(QLatin1Char(':')) ? value.left(value.size() - port.size() - 1) : value);
}

void QuickCheckPanel::cmdResolve_Click() {
    if (Busy())
        return;
    SetWaiting(true);
    objSocket.setResolveOnAssign(true);
    objSocket.BeginLookup(txtHostName->text(), [this] { ResolveAnswered(); });
}

void QuickCheckPanel::ResolveAnswered() {
    SetWaiting(false);
    if (m_host.IsUnloading())
        return;
    const QString found = objSocket.PeerAddress();
    if (!found.isEmpty()) {
        const clsConverter Converter;
        const QString address = found + QLatin1Char(':');
        txtIPAddr->setText(Converter.GetFirstOctet(address) + QLatin1Char('.'));
        txtIPAddr->setText(txtIPAddr->text() + Converter.GetSecondOctet(address) + QLatin1Char('.'));
        txtIPAddr->setText(txtIPAddr->text() + Converter.GetThirdOctet(address) + QLatin1Char('.'));
        txtIPAddr->setText(txtIPAddr->text() + Converter.GetFourthOctet(address));
    } else {
        Say(Texts::UnknownHost);
        txtHostName->setFocus();
    }
    objSocket.setResolveOnAssign(false);
    objSocket.setPeerName(QString());
    objSocket.setPeerAddress(QString());
    if (m_host.IsUnloading())
        return;
    // Names of web and file servers suggest their port, whether or not they resolved.
    const QString prefix = txtHostName->text().left(3);
    if (prefix == QLatin1String("www"))
        txtPort->setText(QStringLiteral("80"));
    else if (prefix == QLatin1String("ftp"))
        txtPort->setText(QStringLiteral("21"));
}

void QuickCheckPanel::btnConnect_Click() {
    if (Busy())
        return;
    btnConnect->setEnabled(false);
    Window()->setCursor(Qt::WaitCursor);
    const clsConverter Converter;
    auto refuse = [this](const QString& text) {
        btnConnect->setEnabled(true);
        Window()->unsetCursor();
        Say(text);
    };
    if (!Converter.ValidPort(txtPort->text()))
        return refuse(InvalidPort);
    if (!Converter.ValidIP(txtIPAddr->text()))
        return refuse(InvalidIPAddressCheck);

    const QString entry =
        txtHostName->text() + QLatin1Char(' ') + txtIPAddr->text() + QLatin1Char(':') + txtPort->text();
    SetWaiting(true);
    BeginProbeService(objSocket, Converter, m_state.TimeoutMs, entry,
                      [this](bool connected) { CheckAnswered(connected); });
}

void QuickCheckPanel::CheckAnswered(bool connected) {
    SetWaiting(false);
    btnConnect->setEnabled(false); // until the outcome has been read
    Window()->setCursor(Qt::WaitCursor);
    if (!m_host.IsUnloading()) {
        if (connected)
            MessageBox::show(Window(), CheckSucceeded, MessageBox::Buttons::Ok,
                             MessageBox::Icon::Information);
        else
            MessageBox::show(Window(), CheckFailed, MessageBox::Buttons::Ok, MessageBox::Icon::Exclamation);
    }
    if (m_state.blnCheckInProgress)
        return;
    btnConnect->setEnabled(true);
    Window()->unsetCursor();
    // The result has been read: the next check is one key away.
    if (!m_host.IsUnloading())
        btnConnect->setFocus(Qt::OtherFocusReason);
}

void QuickCheckPanel::cmdSave_Click() {
    if (Busy())
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
    if (!ConfirmServiceOverwrite(Window(), host) || m_host.IsUnloading())
        return;
    // Only a change that reached the disk is reported as saved; the boxes keep the typed texts.
    if (!WriteServiceAndReport(Window(), host, address + QLatin1Char(':') + port))
        return;
    txtHostName->setText(QString());
    txtIPAddr->setText(QString());
    txtPort->setText(QString());
    if (m_host.IsUnloading())
        return;
    if (MessageBox::askYesNo(Window(), RefreshQuestion, RefreshTitle) && !m_host.IsUnloading())
        m_host.RefreshStatus();
    m_host.ShowMainWindow();
}
