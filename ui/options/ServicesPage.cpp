#include "ui/options/ServicesPage.h"

#include "core/PortLookup.h"
#include "core/SettingsStore.h"
#include "core/SocketControl.h"
#include "core/StoreFile.h"
#include "core/StoreNames.h"
#include "core/Texts.h"
#include "core/VisibleText.h"
#include "core/clsConverter.h"
#include "ui/common/AccessibleNames.h"
#include "ui/common/MessageBox.h"
#include "ui/common/ServiceWrites.h"
#include "ui/common/TextRoom.h"
#include "ui/options/OptionsWidgets.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <array>

using namespace OptionsLogic;

namespace {

// The detail controls are shown and hidden as one group; this property is all that marks them.
const char* const kTagProperty = "Tag";
const QString kHostDetail = QStringLiteral("hostDetail");
// Where a list line keeps its service's stored key and value.
constexpr int kKeyRole = Qt::UserRole;
constexpr int kValueRole = Qt::UserRole + 1;

const QString kCheckingServices = QStringLiteral("Checking services. Please try later");
const QString kInvalidPort = QStringLiteral("Invalid port number");

// One of the small round dots between the address boxes.
class Dot : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(palette().windowText());
        painter.drawEllipse(rect());
    }
};

template <typename W> W* Tagged(W* widget) {
    widget->setProperty(kTagProperty, kHostDetail);
    return widget;
}

QLineEdit* NewTextBox(const QString& name, QWidget* parent) {
    auto* box = Tagged(new QLineEdit(parent));
    box->setObjectName(name);
    return box;
}

QString MessageFor(ServiceInputError error) {
    switch (error) {
    case ServiceInputError::InvalidAddress:
        return Texts::InvalidIPAddress;
    case ServiceInputError::InvalidPort:
        return kInvalidPort;
    case ServiceInputError::BlankHostName:
        return Texts::InvalidHostName;
    case ServiceInputError::None:
        break;
    }
    return QString();
}

} // namespace

ServicesPage::ServicesPage(const CheckState& state, SocketControl& socket, QWidget* parent)
    : QWidget(parent), m_state(state), objSocketOptions(socket) {
    fraServices = SetTwipsGeometry(new QGroupBox("Services", this), 120, 240, 3975, 1905);
    lstServices = new QListWidget(fraServices);
    lstServices->setObjectName(QStringLiteral("lstServices"));
    lstServices->setSelectionMode(QAbstractItemView::SingleSelection);
    SetTwipsGeometry(lstServices, 120, 240, 3735, 1425);
    lstServices->setAccessibleName(fraServices->title()); // the frame is its caption

    btnEdit = SetTwipsGeometry(NewButton("Edit", "btnEdit", this), 4200, 360, 1335, 375);
    btnAdd = SetTwipsGeometry(NewButton("Add", "btnAdd", this), 4200, 960, 1335, 375);
    btnDelete = SetTwipsGeometry(NewButton("Delete", "btnDelete", this), 4200, 1560, 1335, 375);

    QLabel* hostCaption = SetTwipsGeometry(Tagged(NewLabel("Host Name:", this)), 0, 2520, 855, 255);
    txtHostName = SetTwipsGeometry(NewTextBox("txtHostName", this), 960, 2400, 3255, 375);
    // The captions stand at the page's left edge: a box whose caption would run into it starts after it.
    StartAfter(txtHostName, hostCaption);
    CentreBeside(hostCaption, txtHostName);
    NameAfterCaption(txtHostName, hostCaption);
    cmdResolve = SetTwipsGeometry(Tagged(NewButton("Resolve", "cmdResolve", this)), 4320, 2400, 1335, 375);

    QLabel* addressCaption = SetTwipsGeometry(Tagged(NewLabel("IP Address:", this)), 0, 3000, 855, 255);
    txtIP1 = SetTwipsGeometry(NewTextBox("txtIP1", this), 960, 2880, 375, 375);
    txtIP2 = SetTwipsGeometry(NewTextBox("txtIP2", this), 1560, 2880, 375, 375);
    txtIP3 = SetTwipsGeometry(NewTextBox("txtIP3", this), 2160, 2880, 375, 375);
    txtIP4 = SetTwipsGeometry(NewTextBox("txtIP4", this), 2760, 2880, 375, 375);
    StartAfter(txtIP1, addressCaption);
    CentreBeside(addressCaption, txtIP1);
    // One caption for four boxes: each is named after it, with its place in the address.
    const char* const places[] = {"first", "second", "third", "fourth"};
    // An octet box holds "255", growing into the gap after it; each dot stays in the middle of its gap.
    const std::array<QLineEdit*, 4> octets{txtIP1, txtIP2, txtIP3, txtIP4};
    for (std::size_t i = 0; i < octets.size(); ++i) {
        QLineEdit* octet = octets[i];
        NameAfterCaption(octet, addressCaption, QStringLiteral("%1 part").arg(QLatin1String(places[i])));
        octet->setAlignment(Qt::AlignCenter);
        WidenTo(octet, NeededWidth(octet, QStringLiteral("255")));
    }
    for (std::size_t i = 0; i + 1 < octets.size(); ++i) {
        auto* dot = Tagged(new Dot(this));
        // Two pixels would vanish on a low-resolution screen.
        const QRect rect = TwipsRect(dot, 0, 3120, 30, 30);
        const int size = std::max(rect.width(), 3);
        const int middle = (octets[i]->geometry().right() + 1 + octets[i + 1]->x()) / 2;
        dot->setGeometry(middle - size / 2, rect.y(), size, std::max(rect.height(), 3));
    }

    QLabel* portCaption = SetTwipsGeometry(Tagged(NewLabel("Port:", this)), 3720, 3000, 495, 255);
    txtPort = SetTwipsGeometry(NewTextBox("txtPort", this), 4320, 2880, 735, 375);
    NameAfterCaption(txtPort, portCaption);
    CentreBeside(portCaption, txtPort);
    WidenTo(txtPort, NeededWidth(txtPort, QStringLiteral("65535")));

    QLabel* lookupCaption = SetTwipsGeometry(Tagged(NewLabel("Port lookup:", this)), 0, 3480, 855, 255);
    cboPortLookup = Tagged(new QComboBox(this));
    cboPortLookup->setObjectName(QStringLiteral("cboPortLookup"));
    for (const PortLookupEntry& entry : kPortLookup)
        cboPortLookup->addItem(QString::fromLatin1(entry.name), entry.port);
    cboPortLookup->setCurrentIndex(-1);
    SetTwipsGeometry(cboPortLookup, 960, 3360, 2175, 315);
    StartAfter(cboPortLookup, lookupCaption);
    CentreBeside(lookupCaption, cboPortLookup);
    NameAfterCaption(cboPortLookup, lookupCaption);

    btnSave = Tagged(NewButton(QStringLiteral("Save"), QStringLiteral("btnSave"), this));
    QFont bold = btnSave->font();
    bold.setBold(true);
    btnSave->setFont(bold);
    SetTwipsGeometry(btnSave, 4320, 3360, 1335, 375);
    WidenCaptions(this);

    connect(btnAdd, &QPushButton::clicked, this, &ServicesPage::Add);
    connect(btnEdit, &QPushButton::clicked, this, &ServicesPage::Edit);
    connect(btnDelete, &QPushButton::clicked, this, &ServicesPage::Delete);
    connect(btnSave, &QPushButton::clicked, this, &ServicesPage::Save);
    connect(cmdResolve, &QPushButton::clicked, this, &ServicesPage::Resolve);
    // Fires for every choice by mouse or keyboard, also of the item already shown.
    connect(cboPortLookup, &QComboBox::activated, this, &ServicesPage::PortLookup);
}

QList<QWidget*> ServicesPage::FocusOrder() const {
    return {lstServices, btnEdit, btnAdd, btnDelete, txtHostName,   cmdResolve, txtIP1,
            txtIP2,      txtIP3,  txtIP4, txtPort,   cboPortLookup, btnSave};
}

QList<QWidget*> ServicesPage::HostDetailControls() const {
    QList<QWidget*> controls;
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (child->property(kTagProperty).toString() == kHostDetail)
            controls.append(child);
    return controls;
}

void ServicesPage::SetHostDetailVisible(bool visible) {
    for (QWidget* control : HostDetailControls())
        control->setVisible(visible);
}

void ServicesPage::FillOnLoad() {
    LoadServiceList();
    SetHostDetailVisible(false);
}

void ServicesPage::LoadServiceList() {
    lstServices->clear();
    const auto pairs = GetAllSettings(StoreNames::App, StoreNames::Services);
    if (!pairs)
        return;
    for (const auto& [key, value] : *pairs) {
        // List items never interpret markup.
        auto* item = new QListWidgetItem(VisibleText(ServiceLine(key, value)), lstServices);
        item->setData(kKeyRole, key);
        item->setData(kValueRole, value);
    }
}

std::optional<QPair<QString, QString>> ServicesPage::SelectedService() const {
    const QList<QListWidgetItem*> selected = lstServices->selectedItems();
    if (selected.isEmpty())
        return std::nullopt;
    return QPair{selected.first()->data(kKeyRole).toString(), selected.first()->data(kValueRole).toString()};
}

void ServicesPage::ShowParts(const ServiceParts& parts) {
    txtPort->setText(parts.port);
    txtIP4->setText(parts.ip4);
    txtIP3->setText(parts.ip3);
    txtIP2->setText(parts.ip2);
    txtIP1->setText(parts.ip1);
    txtHostName->setText(parts.host);
}

void ServicesPage::ClearBoxes() {
    ShowParts(ServiceParts{});
}

ServiceParts ServicesPage::TypedParts() const {
    return {txtHostName->text(), txtIP1->text(), txtIP2->text(),
            txtIP3->text(),      txtIP4->text(), txtPort->text()};
}

void ServicesPage::Add() {
    // A new entry: saving it must never delete the one an earlier Edit opened.
    ForgetEditedHost();
    SetHostDetailVisible(true);
    ClearBoxes();
}

void ServicesPage::Edit() {
    const auto service = SelectedService();
    if (!service)
        return;
    SetHostDetailVisible(true);
    ShowParts(SplitServiceLine(ServiceLine(service->first, service->second)));
    strEditedHost = service->first;
}

void ServicesPage::Delete() {
    SetHostDetailVisible(false);
    ForgetEditedHost();
    const auto service = SelectedService();
    if (!service)
        return;
    ShowParts(SplitServiceLine(ServiceLine(service->first, service->second)));
    const QString host = service->first;
    if (MessageBox::askYesNo(window(), QStringLiteral("Delete the ") + VisibleText(host) +
                                           QStringLiteral(" service?"))) {
        StoreFile::PatientLockWaits patient(!m_state.blnCheckInProgress); // the user waits for it
        if (!DeleteSetting(StoreNames::App, StoreNames::Services, host))
            ReportStoreFailure();
        LoadServiceList();
    }
    ClearBoxes();
}

void ServicesPage::Save() {
    if (m_state.blnCheckInProgress) {
        // Shown without a loop of its own: the check under way is not held up by it.
        MessageBox::note(window(), kCheckingServices);
        return;
    }
    const ServiceParts typed = TypedParts();
    const ServiceInputCheck check = CheckServiceInput(typed);
    if (check.error != ServiceInputError::None) {
        MessageBox::inform(window(), MessageFor(check.error));
    } else {
        // Declining the overwrite leaves everything as it is, the open panel included.
        if (!ConfirmServiceOverwrite(window(), typed.host))
            return;
        WriteService(typed.host, check.value);
    }
    LoadServiceList();
    SetHostDetailVisible(false);
}

void ServicesPage::WriteService(const QString& key, const QString& value) {
    StoreFile::PatientLockWaits patient; // asked for by the user, never during a check (see Save)
    // An edited entry is deleted first and written afresh, so it moves to the end of the list.
    const QString edited = std::exchange(strEditedHost, QString());
    const QString editedValue =
        edited.isEmpty() ? QString() : GetSetting(StoreNames::App, StoreNames::Services, edited);
    if (!editedValue.isEmpty() && !DeleteSetting(StoreNames::App, StoreNames::Services, edited)) {
        ReportStoreFailure();
        return;
    }
    // The opened entry is already gone when the new one cannot be written: put it back rather than
    // lose both.
    if (!WriteServiceAndReport(window(), key, value) && !editedValue.isEmpty())
        SaveSetting(StoreNames::App, StoreNames::Services, edited, editedValue);
}

void ServicesPage::ReportStoreFailure() {
    MessageBox::inform(window(), Texts::StoreWriteFailed(LastStoreError()));
}

void ServicesPage::Resolve() {
    if (m_state.blnCheckInProgress) {
        MessageBox::note(window(), kCheckingServices);
        return;
    }
    // A second press while this dialog's own lookup still waits must not start another on the socket.
    if (objSocketOptions.IsBusy())
        return;
    // The answer belongs to the entry in the boxes now: nothing may change them until it is there.
    emit lookupWaiting(true);
    objSocketOptions.setResolveOnAssign(true);
    objSocketOptions.BeginLookup(txtHostName->text(), [this] { ResolveAnswered(); });
}

void ServicesPage::ResolveAnswered() {
    emit lookupWaiting(false);
    const QString address = objSocketOptions.PeerAddress();
    if (!address.isEmpty()) {
        // The colon gives the octet functions the form they take apart.
        const QString text = address + u':';
        const clsConverter converter;
        txtIP1->setText(converter.GetFirstOctet(text));
        txtIP2->setText(converter.GetSecondOctet(text));
        txtIP3->setText(converter.GetThirdOctet(text));
        txtIP4->setText(converter.GetFourthOctet(text));
    } else {
        MessageBox::inform(window(), Texts::UnknownHost);
        txtHostName->setFocus();
    }
    objSocketOptions.setResolveOnAssign(false);
}

void ServicesPage::AbandonLookup() {
    if (!objSocketOptions.IsBusy())
        return;
    objSocketOptions.Abort(); // the answer is dropped: no box appears once the dialog has gone
    objSocketOptions.setResolveOnAssign(false);
    emit lookupWaiting(false);
}

void ServicesPage::PortLookup(int index) {
    if (index < 0)
        return;
    txtPort->setText(QString::number(cboPortLookup->itemData(index).toInt()));
}
