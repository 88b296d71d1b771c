// Build-time tool: draws the program icon (a traffic light, as the small pixel icons show it) at any
// size for the desktop's icon theme, and writes the same drawing as SVG. One table of shapes feeds
// both, so the scalable icon and the large pictures cannot drift apart.
//
//   draw_program_icon png SIZE OUTPUT.png
//   draw_program_icon svg OUTPUT.svg
#include <QColor>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPen>
#include <QRectF>
#include <QString>
#include <cstdio>
#include <cstdlib>
#include <span>

namespace {

// The drawing's own coordinates: a square of this side, scaled to the requested size.
constexpr int kCanvas = 256;

struct Shape {
    QRectF box;         // for a lamp, the box of its circle
    double radius;      // corner radius; half the side for a circle
    const char* fill;   // #RRGGBB
    double fillOpacity; // 1 for solid shapes; the lamps' shine is translucent
    const char* stroke; // nullptr for no outline
    double strokeWidth;
};

constexpr const char* kOutline = "#101010";

// Drawn in this order, top to bottom as in the pixel icons.
const Shape kShapes[] = {
    {{68, 6, 120, 244}, 30, "#3C4148", 1, kOutline, 8},   // body
    {{96, 22, 64, 64}, 32, "#E01B1B", 1, kOutline, 6},    // red
    {{108, 32, 22, 16}, 8, "#FFFFFF", 0.45, nullptr, 0},  // its shine
    {{96, 96, 64, 64}, 32, "#F5C400", 1, kOutline, 6},    // yellow
    {{108, 106, 22, 16}, 8, "#FFFFFF", 0.45, nullptr, 0}, // its shine
    {{96, 170, 64, 64}, 32, "#00C22E", 1, kOutline, 6},   // green
    {{108, 180, 22, 16}, 8, "#FFFFFF", 0.45, nullptr, 0}, // its shine
};

QImage paintIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(double(size) / kCanvas, double(size) / kCanvas);
    for (const Shape& shape : std::span(kShapes)) {
        QColor fill(QString::fromLatin1(shape.fill));
        fill.setAlphaF(float(shape.fillOpacity));
        painter.setBrush(fill);
        if (shape.stroke)
            painter.setPen(QPen(QColor(QString::fromLatin1(shape.stroke)), shape.strokeWidth));
        else
            painter.setPen(Qt::NoPen);
        painter.drawRoundedRect(shape.box, shape.radius, shape.radius);
    }
    painter.end();
    return image;
}

QByteArray svgIcon() {
    QByteArray svg =
        QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                          "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" "
                          "viewBox=\"0 0 256 256\">\n");
    for (const Shape& shape : std::span(kShapes)) {
        svg += QStringLiteral("  <rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" rx=\"%5\" fill=\"%6\"")
                   .arg(shape.box.x())
                   .arg(shape.box.y())
                   .arg(shape.box.width())
                   .arg(shape.box.height())
                   .arg(shape.radius)
                   .arg(QString::fromLatin1(shape.fill))
                   .toUtf8();
        if (shape.fillOpacity < 1)
            svg += QStringLiteral(" fill-opacity=\"%1\"").arg(shape.fillOpacity).toUtf8();
        if (shape.stroke)
            svg += QStringLiteral(" stroke=\"%1\" stroke-width=\"%2\"")
                       .arg(QString::fromLatin1(shape.stroke))
                       .arg(shape.strokeWidth)
                       .toUtf8();
        svg += "/>\n";
    }
    svg += "</svg>\n";
    return svg;
}

int usage(const char* program) {
    std::fprintf(stderr, "usage: %s png SIZE OUTPUT.png | %s svg OUTPUT.svg\n", program, program);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && QByteArray(argv[1]) == "png") {
        const int size = std::atoi(argv[2]);
        if (size < 16 || size > 1024)
            return usage(argv[0]);
        return paintIcon(size).save(QString::fromLocal8Bit(argv[3]), "PNG") ? 0 : 1;
    }
    if (argc == 3 && QByteArray(argv[1]) == "svg") {
        QFile out(QString::fromLocal8Bit(argv[2]));
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 1;
        const QByteArray svg = svgIcon();
        return out.write(svg) == svg.size() ? 0 : 1;
    }
    return usage(argv[0]);
}
