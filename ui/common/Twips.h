#pragma once

#include <QRect>
#include <cmath>

class QFont;
class QPaintDevice;
class QWidget;

// Window layouts are given in twips (1/1440 inch), drawn for an 8-point reference font. A window lays
// its layout out in proportion to its own font, as dialog units follow a font: with a wider or taller
// font every position and size grows by the same factor, so each text keeps the room the layout gave it
// and nothing needs to be shrunk. Stored window sizes are in these twips too, so a stored size means
// the same on screen for the same font.
inline constexpr double kTwipsPerInch = 1440.0;

// Plain twips, without the font's factor: 15 twips a pixel at 96 logical DPI.
inline int TwipsToPixels(double twips, double logicalDpi = 96.0) {
    return static_cast<int>(std::lround(twips * logicalDpi / kTwipsPerInch));
}
inline double PixelsToTwips(int pixels, double logicalDpi = 96.0) {
    return pixels * kTwipsPerInch / logicalDpi;
}

// How much larger `font` is on `device` than the reference font would be there: the larger of the
// ratios of their average character widths and of their line heights, so that text grows no more than
// its room in either direction. 1 for the reference font itself.
double FontFactor(const QFont& font, const QPaintDevice* device);

// Twips to pixels for one window: its logical resolution and its font's factor.
class TwipsScale {
public:
    // The font of the widget's window and the widget's screen.
    explicit TwipsScale(const QWidget* widget);

    double Factor() const { return m_factor; }
    int X(double twips) const { return TwipsToPixels(twips * m_factor, m_dpiX); }
    int Y(double twips) const { return TwipsToPixels(twips * m_factor, m_dpiY); }
    QRect Rect(double left, double top, double width, double height) const {
        return QRect(X(left), Y(top), X(width), Y(height));
    }
    double TwipsX(int pixels) const { return PixelsToTwips(pixels, m_dpiX) / m_factor; }
    double TwipsY(int pixels) const { return PixelsToTwips(pixels, m_dpiY) / m_factor; }

private:
    double m_dpiX;
    double m_dpiY;
    double m_factor;
};
