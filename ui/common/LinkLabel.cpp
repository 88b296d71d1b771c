#include "ui/common/LinkLabel.h"

#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace {
class LinkAccessible : public QAccessibleWidget {
public:
    explicit LinkAccessible(QWidget* widget) : QAccessibleWidget(widget, QAccessible::Link) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty())
            return static_cast<const QLabel*>(widget())->text();
        return QAccessibleWidget::text(t);
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& action) override {
        if (action == pressAction())
            emit static_cast<LinkLabel*>(widget())->activated();
    }
};

QAccessibleInterface* LinkAccessibleFactory(const QString& className, QObject* object) {
    if (className == QLatin1String("LinkLabel") && object && object->isWidgetType())
        return new LinkAccessible(static_cast<QWidget*>(object));
    return nullptr;
}
} // namespace

LinkLabel::LinkLabel(const QString& text, QWidget* parent) : QLabel(text, parent) {
    static const bool installed = [] {
        QAccessible::installFactory(LinkAccessibleFactory);
        return true;
    }();
    Q_UNUSED(installed);
    setTextFormat(Qt::PlainText);
    setFocusPolicy(Qt::StrongFocus);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton)
        emit activated();
}

void LinkLabel::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if ((key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) &&
        event->modifiers() == Qt::NoModifier) {
        emit activated();
        event->accept();
        return;
    }
    QLabel::keyPressEvent(event);
}

// A keyboard user sees where the focus is: a dotted frame around the text.
void LinkLabel::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    QPainter painter(this);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    const QRect text = fontMetrics().boundingRect(contentsRect(), int(alignment()), this->text());
    option.rect = text.adjusted(-1, 0, 1, 0) & rect();
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
}
