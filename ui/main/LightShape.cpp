#include "ui/main/LightShape.h"

#include <QPainter>

LightShape::LightShape(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents); // a click on the light reaches the row's label
}

void LightShape::setFillColor(const QColor& color) {
    m_fill = color;
    update();
}

void LightShape::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 1));
    painter.setBrush(m_fill);
    const int side = qMin(width(), height()) - 1;
    painter.drawEllipse(QRectF((width() - side) / 2.0, (height() - side) / 2.0, side, side));
}
