#include "ui/tray/QtTrayBackend.h"

#include "ui/tray/Tray.h"

#include <QTextDocument>

QtTrayBackend::QtTrayBackend() {
    QObject::connect(&m_icon, &QSystemTrayIcon::activated, &m_icon,
                     [this](QSystemTrayIcon::ActivationReason reason) {
                         if (const int message = MessageForReason(reason))
                             deliverMessage(message);
                     });
}

int QtTrayBackend::MessageForReason(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        return Tray::MessageLeftPress;
    case QSystemTrayIcon::Context:
        return Tray::MessageRightPress;
    case QSystemTrayIcon::DoubleClick:
        return Tray::MessageLeftDoubleClick;
    default:
        return 0;
    }
}

QString QtTrayBackend::DisplayText(const QString& tipField) {
    QString text = tipField.left(tipField.indexOf(QChar(u'\0')));
    if (text.startsWith(QLatin1Char(' ')))
        text.remove(0, 1);
    while (text.endsWith(QLatin1Char(' ')))
        text.chop(1);
    return text;
}

QString QtTrayBackend::ToolTipFor(const QString& tipField) {
    const QString text = DisplayText(tipField);
    if (!Qt::mightBeRichText(text))
        return text;
    QString escaped = text.toHtmlEscaped();
    escaped.replace(QLatin1Char('\n'), QLatin1String("<br>"));
    return QLatin1String("<qt>") + escaped + QLatin1String("</qt>");
}

void QtTrayBackend::apply(const TrayNotifyData& data) {
    m_icon.setIcon(data.Icon);
    m_icon.setToolTip(ToolTipFor(data.TipField));
}

void QtTrayBackend::add(const TrayNotifyData& data) {
    apply(data);
    m_icon.show();
}

void QtTrayBackend::modify(const TrayNotifyData& data) {
    apply(data);
}

void QtTrayBackend::remove(const TrayNotifyData&) {
    m_icon.hide();
}
