#pragma once

#include "ui/tray/TrayBackend.h"

#include <QSystemTrayIcon>

// The desktop's notification area through QSystemTrayIcon (StatusNotifierItem or XEmbed, whichever
// the desktop offers).
class QtTrayBackend : public TrayBackend {
public:
    QtTrayBackend();

    void add(const TrayNotifyData& data) override;
    void modify(const TrayNotifyData& data) override;
    void remove(const TrayNotifyData& data) override;

    // The mouse message a Qt activation stands for: Trigger is a left press, Context a right press,
    // DoubleClick the left double click (which the control ignores). 0 for anything else.
    static int MessageForReason(QSystemTrayIcon::ActivationReason reason);
    // The tooltip as shown: the tip field up to its NUL, without the framing blanks.
    static QString DisplayText(const QString& tipField);
    // What goes to QSystemTrayIcon::setToolTip. Tooltips are rendered as rich text when they look like
    // markup, so such a text is escaped to be shown exactly as written.
    static QString ToolTipFor(const QString& tipField);

private:
    void apply(const TrayNotifyData& data);

    QSystemTrayIcon m_icon;
};
