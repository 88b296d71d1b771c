#include "ui/main/BoardLayout.h"

#include "core/Numeric.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace BoardLayout {
namespace {
int StoredTwipsOr(const QString& text, int fallback) {
    const std::optional<double> value = ParseNumeric(text);
    if (!value)
        return fallback;
    // Anything a window could never be is treated like a missing value, not an overflow.
    const double rounded = std::nearbyint(*value);
    if (rounded < 0 || rounded > std::numeric_limits<qint16>::max() * 4.0)
        return fallback;
    return static_cast<int>(rounded);
}

// The locale's long time, minus the zone name a long format carries: the board shows local time.
QString LongTimeWithoutZone(const QLocale& locale) {
    const QString format = locale.timeFormat(QLocale::LongFormat);
    QString result;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (!quoted && c == QLatin1Char('t'))
            continue;
        result += c;
    }
    return result.trimmed();
}
} // namespace

OuterSize RestoredOuterSize(const QString& storedHeight, const QString& storedWidth) {
    return {StoredTwipsOr(storedWidth, MinOuterWidth), StoredTwipsOr(storedHeight, MinOuterHeight)};
}

OuterSize SnapToMinimum(OuterSize size) {
    if (size.width < MinOuterWidth)
        size.width = MinOuterWidth;
    if (size.height < MinOuterHeight)
        size.height = MinOuterHeight;
    return size;
}

WindowLayout ArrangeLayout(OuterSize size, double timeTextWidth) {
    WindowLayout l;
    l.size = SnapToMinimum(size);
    const double W = l.size.width;
    const double H = l.size.height;

    l.pctStatus = {120, 2160, W - 360, H - 4110};
    l.boardInnerWidth = l.pctStatus.width - 2 * BoardBorder;
    l.boardInnerHeight = l.pctStatus.height - 2 * BoardBorder;
    l.hyperlinkLeft = (W - HyperlinkWidth) / 2;
    const double timeRoom = l.boardInnerWidth - (W - 1575) - ScrollBarWidth - LightSize;
    const double shortfall = std::max(0.0, timeTextWidth - timeRoom);
    l.nameWidth = W - 1575 - shortfall;
    l.lightLeft = W - 1575 - shortfall;
    l.timeLeft = l.lightLeft;
    l.cmdStatusTop = H - 1800;
    l.imgStatusTop = H - 1800; // stays on the row of cmdStatus
    l.hyperlinkTop = H - 1320;
    return l;
}

QString ResponseTimeText(float milliseconds) {
    return QString::number(static_cast<qint64>(std::floor(milliseconds))) + QStringLiteral("ms");
}

QString StatusAsOfText(const QDateTime& lastCheck, const QLocale& locale) {
    QString text = locale.toString(lastCheck.date(), QLocale::ShortFormat);
    if (lastCheck.time() != QTime(0, 0))
        text += QLatin1Char(' ') + locale.toString(lastCheck.time(), LongTimeWithoutZone(locale));
    return QStringLiteral("Status as of: ") + text;
}

} // namespace BoardLayout
