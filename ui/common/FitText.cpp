#include "ui/common/FitText.h"

#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>

namespace {
// Steps the widget's font down until `fits` says yes or the smallest size is reached.
template <typename Fits> void ShrinkFont(QWidget* widget, double smallestPointSize, Fits fits) {
    QFont font = widget->font();
    while (font.pointSizeF() > smallestPointSize && !fits(QFontMetrics(font)))
        font.setPointSizeF(font.pointSizeF() - 0.5);
    widget->setFont(font);
}
} // namespace

void FitCaption(QLabel* label, double smallestPointSize) {
    ShrinkFont(label, smallestPointSize, [label](const QFontMetrics& metrics) {
        return metrics.horizontalAdvance(label->text()) <= label->width();
    });
}

void FitCaptions(QWidget* container, double smallestPointSize) {
    for (QLabel* label : container->findChildren<QLabel*>())
        FitCaption(label, smallestPointSize);
}

void FitBox(QLineEdit* box, const QString& widestText, double smallestPointSize) {
    box->setTextMargins(0, 0, 0, 0);
    box->setAlignment(Qt::AlignCenter);
    QStyleOptionFrame option;
    option.initFrom(box);
    const int frame = box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, box);
    const int room = box->width() - 2 * frame - 4; // the cursor and the style's own inner margin
    ShrinkFont(box, smallestPointSize,
               [&](const QFontMetrics& metrics) { return metrics.horizontalAdvance(widestText) <= room; });
}
