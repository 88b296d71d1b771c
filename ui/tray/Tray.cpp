#include "ui/tray/Tray.h"

#include "ui/tray/QtTrayBackend.h"
#include "ui/tray/TrayBackend.h"

#include <QPointer>
#include <QSystemTrayIcon>
#include <algorithm>
#include <climits>
#include <cmath>

namespace {
constexpr int ClickGuardMs = 15;
constexpr int ConvertedIconSize = 32;
const QString PropTrayImage = QStringLiteral("TrayImage");
const QString PropTrayToolTip = QStringLiteral("TrayToolTip");
const QString PropEventMode = QStringLiteral("EventMode");

QIcon IconFromPixmap(const QPixmap& picture) {
    if (picture.isNull())
        return QIcon();
    return QIcon(picture.scaled(ConvertedIconSize, ConvertedIconSize, Qt::IgnoreAspectRatio,
                                Qt::SmoothTransformation));
}
} // namespace

struct Tray::Private {
    std::unique_ptr<TrayBackend> backend;
    bool m_IconShown = false;
    bool m_ClickGuard = false;
    TrayNotifyData m_NotifyData;
    QString m_TrayToolTip = Tray::DefaultToolTip();
    int m_EventMode = 0;
    QIcon image;
    QTimer Timer1;
};

Tray::Tray(std::unique_ptr<TrayBackend> backend, QObject* parent) : QObject(parent), d(new Private) {
    d->backend = backend ? std::move(backend) : std::make_unique<QtTrayBackend>();
    d->backend->setMessageHandler([this](double message) { HandleCallbackMessage(message); });
    d->Timer1.setSingleShot(true);
    d->Timer1.setInterval(ClickGuardMs);
    connect(&d->Timer1, &QTimer::timeout, this, [this] { d->m_ClickGuard = false; });
}

Tray::~Tray() {
    // An activation queued while we are being destroyed must not reach a half-destroyed control.
    d->backend->setMessageHandler({});
}

QString Tray::DefaultToolTip() {
    return QStringLiteral("Click to see server status and configure settings");
}
QString Tray::PersistedDefaultToolTip() {
    return QStringLiteral("Click to see server status");
}

void Tray::Show(bool UpDateData) {
    if (UpDateData) {
        d->m_NotifyData.Icon = d->image;
        d->m_NotifyData.TipField = TipField(d->m_TrayToolTip);
        if (d->m_IconShown) {
            d->backend->modify(d->m_NotifyData);
        } else {
            d->backend->add(d->m_NotifyData);
            d->m_IconShown = true;
        }
    } else if (d->m_IconShown) {
        // The removal names the icon as it was last added or updated.
        d->backend->remove(d->m_NotifyData);
        d->m_IconShown = false;
    }
}

QIcon Tray::TrayImage() const {
    return d->image;
}

void Tray::setTrayImage(const QIcon& New_TrayImage) {
    d->image = New_TrayImage;
    emit PropertyChanged(PropTrayImage);
}

void Tray::setTrayImage(const QPixmap& New_TrayImage) {
    d->image = IconFromPixmap(New_TrayImage);
    emit PropertyChanged(PropTrayImage);
}

QString Tray::TrayToolTip() const {
    return d->m_TrayToolTip;
}

void Tray::setTrayToolTip(const QString& New_TrayToolTip) {
    d->m_TrayToolTip = New_TrayToolTip;
    emit PropertyChanged(PropTrayToolTip);
}

int Tray::EventMode() const {
    return d->m_EventMode;
}

void Tray::setEventMode(int New_EventMode) {
    d->m_EventMode = std::clamp(New_EventMode, 0, 1);
    emit PropertyChanged(PropEventMode);
}

bool Tray::IsVisible() const {
    return d->m_IconShown;
}

void Tray::ReadProperties(const QVariantMap& bag) {
    const QVariant image = bag.value(PropTrayImage);
    if (image.typeId() == QMetaType::QIcon)
        setTrayImage(image.value<QIcon>());
    else if (image.typeId() == QMetaType::QPixmap || image.typeId() == QMetaType::QImage)
        setTrayImage(image.value<QPixmap>());
    else
        setTrayImage(QIcon());

    // Tooltip and event mode are taken as stored, without the setter's clamping.
    d->m_TrayToolTip =
        bag.contains(PropTrayToolTip) ? bag.value(PropTrayToolTip).toString() : PersistedDefaultToolTip();
    bool numeric = false;
    const int mode = bag.value(PropEventMode).toInt(&numeric);
    d->m_EventMode = numeric ? mode : 0;
}

QVariantMap Tray::WriteProperties() const {
    QVariantMap bag;
    bag.insert(PropTrayImage, d->image);
    bag.insert(PropTrayToolTip, d->m_TrayToolTip);
    bag.insert(PropEventMode, d->m_EventMode);
    return bag;
}

void Tray::HandleCallbackMessage(double message) {
    if (d->m_ClickGuard)
        return;
    if (!std::isfinite(message) || message < INT_MIN || message > INT_MAX)
        return;
    const long number = std::lround(message);
    if (number != MessageLeftPress && number != MessageRightPress)
        return;

    // The guard also covers the handler itself: a handler that shows a window processes events,
    // and a press arriving meanwhile must not raise a second event inside the first.
    d->m_ClickGuard = true;
    QPointer<Tray> alive(this);
    const bool left = number == MessageLeftPress;
    if (d->m_EventMode != 0)
        emit MouseClick(left ? 1 : 2);
    else if (left)
        emit LeftClick();
    else
        emit RightClick();
    if (!alive) // the handler unloaded its host, and us with it
        return;
    d->Timer1.start();
}

QString Tray::TipField(const QString& tooltip) {
    QString text = tooltip.isEmpty() ? QString(QChar(u'\0'))
                                     : QLatin1Char(' ') + tooltip + QLatin1Char(' ') + QChar(u'\0');
    if (text.size() > TipFieldLength) {
        text.truncate(TipFieldLength);
        // Never leave half of a surrogate pair at the cut: it would show as a broken character.
        if (text.back().isHighSurrogate())
            text.back() = QLatin1Char(' ');
    }
    return text.leftJustified(TipFieldLength, QLatin1Char(' '));
}

bool Tray::IsAvailable() {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

QTimer* Tray::ClickGuardTimer() const {
    return &d->Timer1;
}
