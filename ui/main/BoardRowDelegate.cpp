#include "ui/main/BoardRowDelegate.h"

#include "ui/main/BoardLayout.h"
#include "ui/main/StatusBoardModel.h"

#include <QPainter>
#include <QPalette>
#include <QStyle>

namespace {
const QColor TintedRow(128, 192, 255);
const QColor TintedRowText(Qt::black);
} // namespace

BoardRowDelegate::Parts BoardRowDelegate::RowParts(const QRect& row) const {
    const Geometry& g = m_geometry;
    Parts parts;
    parts.band = QRect(row.left(), row.top() + (g.pitch - g.band) / 2, row.width(), g.band);
    parts.name = QRect(row.left(), parts.band.top(), qMin(g.nameWidth, g.lightLeft), g.band);
    parts.light =
        QRect(row.left() + g.lightLeft, row.top() + (g.pitch - g.lightSize) / 2, g.lightSize, g.lightSize);
    parts.time = QRect(row.left() + g.lightLeft, parts.band.top(), row.width() - g.lightLeft, g.band);
    return parts;
}

QString BoardRowDelegate::NameAsDrawn(const QFontMetrics& metrics, const QString& name,
                                      const QRect& row) const {
    return metrics.elidedText(name, Qt::ElideRight, RowParts(row).name.width());
}

BoardRowDelegate::Colours BoardRowDelegate::ColoursFor(int row, const QPalette& palette) {
    if (BoardLayout::IsTintedRow(row))
        return {TintedRow, TintedRowText};
    return {palette.color(QPalette::Base), palette.color(QPalette::Text)};
}

QColor BoardRowDelegate::LightColour(bool up) {
    return up ? QColor(0, 255, 0) : QColor(255, 0, 0);
}

QSize BoardRowDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const {
    return {m_geometry.lightLeft + m_geometry.lightSize, m_geometry.pitch};
}

void BoardRowDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    const Parts parts = RowParts(option.rect);
    const Colours colours = ColoursFor(index.row(), option.palette);
    painter->save();
    painter->fillRect(parts.band, colours.band);

    painter->setFont(option.font);
    painter->setPen(colours.text);
    const QString name = NameAsDrawn(option.fontMetrics, index.data(Qt::DisplayRole).toString(), option.rect);
    painter->drawText(parts.name, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, name);
    painter->drawText(parts.time, Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine,
                      index.data(StatusBoardModel::TimeTextRole).toString());

    // The current row of a focused board is framed in the row's text colour, readable on either band.
    if (option.state & QStyle::State_HasFocus) {
        painter->setPen(QPen(colours.text, 1, Qt::DotLine));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(parts.band.adjusted(0, 0, -1, -1));
    }

    // The light lies over the left end of the time column, as the layout places it.
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(QPen(Qt::black, 1));
    painter->setBrush(LightColour(index.data(StatusBoardModel::UpRole).toBool()));
    const QRectF light = parts.light;
    const double side = qMin(light.width(), light.height()) - 1;
    painter->drawEllipse(QRectF(light.center().x() - side / 2, light.center().y() - side / 2, side, side));
    painter->restore();
}
