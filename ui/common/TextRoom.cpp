#include "ui/common/TextRoom.h"

#include <QComboBox>
#include <QFontMetricsF>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOption>
#include <cmath>

namespace {
// A line edit keeps two pixels on each side of its text for the cursor.
constexpr int kLineEditMargin = 2;

// Where the caption's text ends, in the coordinates of the box's parent.
int TextRight(const QLabel* caption, const QWidget* box) {
    const int left = caption->mapTo(caption->window(), caption->contentsRect().topLeft()).x();
    const int boxParentLeft = box->parentWidget()->mapTo(box->window(), QPoint(0, 0)).x();
    return left - boxParentLeft + TextWidth(caption, caption->text());
}
} // namespace

int TextWidth(const QWidget* widget, const QString& text) {
    return int(std::ceil(QFontMetricsF(widget->font(), widget).horizontalAdvance(text)));
}

int NeededWidth(const QPushButton* button) {
    const QStyle* style = button->style();
    return TextWidth(button, button->text()) + style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button) +
           2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
}

int NeededWidth(const QLineEdit* box, const QString& widestText) {
    QStyleOptionFrame option;
    option.initFrom(box);
    const int frame = box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, box);
    const QMargins margins = box->textMargins();
    return TextWidth(box, widestText) + 2 * (kLineEditMargin + frame) + margins.left() + margins.right();
}

int NeededWidth(const QComboBox* combo) {
    return combo->minimumSizeHint().width();
}

int NeededWidth(const QListWidget* list) {
    return list->sizeHintForColumn(0) + 2 * list->frameWidth() +
           list->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, list->verticalScrollBar());
}

void WidenTo(QWidget* widget, int width, bool keepRightEdge) {
    const QRect rect = widget->geometry();
    if (width <= rect.width())
        return;
    widget->setGeometry(keepRightEdge ? rect.right() + 1 - width : rect.left(), rect.top(), width,
                        rect.height());
}

void WidenCaptions(QWidget* container) {
    for (QLabel* caption : container->findChildren<QLabel*>())
        WidenTo(caption, caption->sizeHint().width());
}

void EndBefore(QLabel* caption, const QWidget* box) {
    const int overlap = TextRight(caption, box) + kTextGap - box->x();
    if (overlap > 0)
        caption->move(caption->x() - overlap, caption->y());
}

void StartAfter(QWidget* box, const QLabel* caption) {
    const int overlap = TextRight(caption, box) + kTextGap - box->x();
    if (overlap > 0)
        box->setGeometry(box->geometry().adjusted(overlap, 0, 0, 0));
}

void FollowOn(QLabel* label, const QWidget* box) {
    const int overlap = box->geometry().right() + 1 + kTextGap - label->x();
    if (overlap > 0)
        label->move(label->x() + overlap, label->y());
}

void CentreBeside(QLabel* caption, const QWidget* box) {
    const int boxTop = box->mapTo(box->window(), QPoint(0, 0)).y();
    const int parentTop = caption->parentWidget()->mapTo(caption->window(), QPoint(0, 0)).y();
    caption->setGeometry(caption->x(), boxTop - parentTop, caption->width(), box->height());
    caption->setAlignment((caption->alignment() & Qt::AlignHorizontal_Mask) | Qt::AlignVCenter);
}
