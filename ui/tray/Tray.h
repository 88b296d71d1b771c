#pragma once

#include "ui/tray/TrayBackend.h"

#include <QIcon>
#include <QObject>
#include <QPixmap>
#include <QString>
#include <QTimer>
#include <QVariantMap>
#include <memory>

// Keeps one icon with a tooltip in the notification area and turns presses on it into events.
// It knows nothing of services or lights: the host sets an image and a text, then calls Show(true).
class Tray : public QObject {
    Q_OBJECT
public:
    // Mouse messages as the notification area reports them.
    static constexpr int MessageLeftPress = 513;
    static constexpr int MessageLeftDoubleClick = 515;
    static constexpr int MessageRightPress = 516;
    static constexpr int TipFieldLength = 64;

    // Without a backend the control uses the desktop's notification area (QSystemTrayIcon).
    explicit Tray(std::unique_ptr<TrayBackend> backend = nullptr, QObject* parent = nullptr);
    ~Tray() override;

    void Show(bool UpDateData); // true adds or updates the icon, false removes it

    QIcon TrayImage() const;
    void setTrayImage(const QIcon& New_TrayImage);   // an icon is kept unchanged
    void setTrayImage(const QPixmap& New_TrayImage); // any other picture becomes a 32 x 32 icon
    QString TrayToolTip() const;
    void setTrayToolTip(const QString& New_TrayToolTip);
    int EventMode() const;
    void setEventMode(int New_EventMode); // clamped to 0..1
    bool IsVisible() const;

    // Persisted properties "TrayImage", "TrayToolTip", "EventMode".
    void ReadProperties(const QVariantMap& bag);
    QVariantMap WriteProperties() const;

    // A mouse message from the notification area; only presses raise events.
    void HandleCallbackMessage(double message);

    // The 64-character tip field: " tooltip " + NUL, padded with blanks, cut at 64.
    static QString TipField(const QString& tooltip);
    // Whether the desktop offers a notification area at all.
    static bool IsAvailable();

    // The one-shot that ends the click guard; exposed so that a caller can wait for it.
    QTimer* ClickGuardTimer() const;
    // The tooltip a new instance starts with, and the one assumed when nothing was persisted.
    static QString DefaultToolTip();
    static QString PersistedDefaultToolTip();

signals:
    void LeftClick();
    void RightClick();
    void MouseClick(int Button);
    // "TrayImage", "TrayToolTip" or "EventMode" was assigned, so the host's saved properties are stale.
    void PropertyChanged(const QString& name);

private:
    struct Private;
    std::unique_ptr<Private> d;
};
