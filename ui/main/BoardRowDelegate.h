#pragma once

#include <QColor>
#include <QRect>
#include <QStyledItemDelegate>

class QPalette;

// Paints one row of the status board: the host name on the left, the round light and the response
// time right-aligned under its right half, on a band tinted light blue for rows 0, 2, 4...
class BoardRowDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    // Pixel sizes of a row, from the window's layout.
    struct Geometry {
        int pitch = 17; // the height of a row
        int band = 14;  // the height of the labels' band, centred on the row
        int nameWidth = 264;
        int lightLeft = 264;
        int lightSize = 17;
    };
    // Where each part of a row lies, in the view's coordinates.
    struct Parts {
        QRect band, name, light, time;
    };
    struct Colours {
        QColor band, text;
    };

    using QStyledItemDelegate::QStyledItemDelegate;

    void SetGeometry(const Geometry& geometry) { m_geometry = geometry; }
    const Geometry& geometry() const { return m_geometry; }
    Parts RowParts(const QRect& row) const;
    // The host name as drawn on a row: cut with "…" where it would run under the light.
    QString NameAsDrawn(const QFontMetrics& metrics, const QString& name, const QRect& row) const;

    // The tinted rows keep a dark text whatever the desktop's theme, as their tint stays light; the
    // others are drawn in the palette's own text colour on its base colour (the board's background).
    static Colours ColoursFor(int row, const QPalette& palette);
    static QColor LightColour(bool up);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    Geometry m_geometry;
};
