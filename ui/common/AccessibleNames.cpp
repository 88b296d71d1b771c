#include "ui/common/AccessibleNames.h"

#include <QLabel>

void NameAfterCaption(QWidget* control, QLabel* caption, const QString& detail) {
    if (!caption->buddy())
        caption->setBuddy(control);
    QString name = caption->text().remove(QLatin1Char('&')).trimmed();
    if (name.endsWith(QLatin1Char(':')))
        name.chop(1);
    control->setAccessibleName(detail.isEmpty() ? name : name + QStringLiteral(", ") + detail);
}
