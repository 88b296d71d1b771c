#include "ui/common/Twips.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QWidget>
#include <algorithm>

namespace {
// The reference font is DejaVu Sans at 8 points, the default window font the layouts were checked
// with. Measured as Qt draws it at 96 logical DPI: the mean advance of the 52 letters a-z and A-Z
// (the average that dialog units are built on) and the height of a line.
constexpr double kReferenceDpi = 96.0;
constexpr double kReferenceAverageWidth = 6.786358;
constexpr double kReferenceHeight = 12.796875;

const QString& Alphabet() {
    static const QString letters = QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ");
    return letters;
}
} // namespace

double FontFactor(const QFont& font, const QPaintDevice* device) {
    const QFontMetricsF metrics(font, device);
    const double resolution = device->logicalDpiY() / kReferenceDpi;
    const double averageWidth = metrics.horizontalAdvance(Alphabet()) / double(Alphabet().size());
    const double widthRatio = averageWidth / (kReferenceAverageWidth * resolution);
    const double heightRatio = metrics.height() / (kReferenceHeight * resolution);
    // Rounded, so that the reference font gives exactly 1 and a stored size keeps its meaning.
    return std::round(std::max(widthRatio, heightRatio) * 1000.0) / 1000.0;
}

TwipsScale::TwipsScale(const QWidget* widget)
    : m_dpiX(widget->logicalDpiX()), m_dpiY(widget->logicalDpiY()),
      m_factor(FontFactor(widget->window()->font(), widget)) {}
