#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

// The main window's geometry and the status board's row positions as plain functions, so the rules
// are checked without a window. Every length is in twips, in the coordinates of the control's
// container; the window size is its outer size.
namespace BoardLayout {

inline constexpr int MinOuterWidth = 5535;
inline constexpr int MinOuterHeight = 6720;
// The window around the client area: the client is 5415 x 5910 at the minimum outer size.
inline constexpr int NonClientWidth = 120;
inline constexpr int NonClientHeight = 810;
// The board's sunken border on each side; its inner area holds the rows and the scroll bar.
inline constexpr int BoardBorder = 30;

inline constexpr int RowPitch = 255;

inline constexpr int ScrollBarWidth = 255;
inline constexpr int LightSize = 255;
inline constexpr int HyperlinkWidth = 5175;

struct OuterSize {
    int width = MinOuterWidth;
    int height = MinOuterHeight;
    bool operator==(const OuterSize&) const = default;
};

// The stored MainFormHeight / MainFormWidth texts; an empty or non-numeric text gives the minimum.
OuterSize RestoredOuterSize(const QString& storedHeight, const QString& storedWidth);
// A window smaller than the minimum is grown to it, never refused.
OuterSize SnapToMinimum(OuterSize size);

struct Rect {
    double left = 0, top = 0, width = 0, height = 0;
};

struct WindowLayout {
    OuterSize size;             // after snapping
    Rect pctStatus;             // on the client area
    double boardInnerWidth = 0; // inside the board's border
    double boardInnerHeight = 0;
    double cmdStatusTop = 0;
    double imgStatusTop = 0;
    double hyperlinkLeft = 0;
    double hyperlinkTop = 0;
    // Every row alike.
    double nameWidth = 0;
    double lightLeft = 0;
    double timeLeft = 0;
};

// The layout for an outer size (snapped first). `timeTextWidth` is what the widest response time
// needs right of the light; where the time column leaves less beside the scroll bar, the light and
// the time move left into the name column, so the light stays put whether or not the scroll bar shows.
WindowLayout ArrangeLayout(OuterSize size, double timeTextWidth = 0);

// Rows 0, 2, 4... are tinted.
inline bool IsTintedRow(int i) {
    return i % 2 == 0;
}
QString ResponseTimeText(float milliseconds);

// "Status as of: " and the time of the last check in the locale's general date form: short date, a
// blank, long time without a zone; the date alone at exactly midnight.
QString StatusAsOfText(const QDateTime& lastCheck, const QLocale& locale = QLocale::system());

} // namespace BoardLayout
