#include "resources/Resources.h"

#include <QHash>
#include <QPixmap>

// Q_INIT_RESOURCE declares a function and must not sit in a namespace.
static void EnsureResourcesRegistered() {
    // The compiled .qrc lives in a static library; nothing would pull it in without this.
    static const bool registered = [] {
        Q_INIT_RESOURCE(vantrel_resources);
        return true;
    }();
    (void)registered;
}

namespace {
// Names compare without regard to letter case, as the callers spell them both ways ("Hyperlink").
QString Key(const QString& name) {
    return name.trimmed().toUpper();
}
} // namespace

QIcon LoadIconResource(const QString& name) {
    EnsureResourcesRegistered();
    static const QHash<QString, QStringList> files = {
        {QStringLiteral("GREENLED"), {QStringLiteral(":/vantrel/green_led.xpm")}},
        {QStringLiteral("YELLOWLED"), {QStringLiteral(":/vantrel/yellow_led.xpm")}},
        {QStringLiteral("REDLED"), {QStringLiteral(":/vantrel/red_led.xpm")}},
        {QStringLiteral("PROGRAM"),
         {QStringLiteral(":/vantrel/program16.xpm"), QStringLiteral(":/vantrel/program32.xpm")}},
    };
    QIcon icon;
    for (const QString& file : files.value(Key(name)))
        icon.addPixmap(QPixmap(file));
    return icon;
}

QCursor LoadCursorResource(const QString& name) {
    EnsureResourcesRegistered();
    if (Key(name) != QStringLiteral("HYPERLINK"))
        return QCursor();
    const QPixmap hand(QStringLiteral(":/vantrel/hyperlink.xpm"));
    if (hand.isNull())
        return QCursor();
    // The hot spot is the tip of the pointing finger.
    return QCursor(hand, 5, 0);
}
