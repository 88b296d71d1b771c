#include "tests/fit/TextFit.h"

#include "ui/main/BoardRowDelegate.h"
#include "ui/main/StatusBoard.h"
#include "ui/main/StatusBoardModel.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOption>
#include <QTabBar>

namespace {

// One text as its control shows it: what it needs, the room it has, and where it is drawn (in the
// control's coordinates).
struct Text {
    QString text;
    QSize need;
    QSize room;
    QRect drawn;
};

QString Describe(const QWidget* widget) {
    const QString name = widget->objectName();
    return QString::fromLatin1(widget->metaObject()->className()) + (name.isEmpty() ? "" : " " + name);
}

QSize TextSize(const QWidget* widget, const QString& text) {
    return QFontMetrics(widget->font(), widget).size(Qt::TextShowMnemonic, text);
}

QRect Aligned(const QWidget* widget, Qt::Alignment alignment, QSize size, const QRect& within) {
    return QStyle::alignedRect(widget->layoutDirection(), alignment, size, within);
}

QList<Text> LabelTexts(const QLabel* label) {
    if (label->text().isEmpty())
        return {};
    const QRect inside = label->contentsRect();
    if (label->wordWrap()) {
        const QSize need(0, label->heightForWidth(label->width()));
        return {{label->text(), need, label->size(), inside}};
    }
    const QSize text = TextSize(label, label->text());
    return {
        {label->text(), label->sizeHint(), label->size(), Aligned(label, label->alignment(), text, inside)}};
}

QList<Text> ButtonTexts(const QAbstractButton* button) {
    if (button->text().isEmpty())
        return {};
    const QSize text = TextSize(button, button->text());
    if (qobject_cast<const QPushButton*>(button)) {
        // What the style puts around a button's label, without its habit of making buttons at least
        // 80 pixels wide.
        const QStyle* style = button->style();
        const int around = style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button) +
                           2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
        return {{button->text(), text + QSize(around, around), button->size(),
                 Aligned(button, Qt::AlignCenter, text, button->rect())}};
    }
    // A check box: its box, the gap and the text side by side; the text's own height within it.
    QStyleOptionButton option;
    option.initFrom(button);
    const QRect contents = button->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, button);
    return {{button->text(), QSize(button->sizeHint().width(), text.height()),
             QSize(button->width(), contents.height()),
             Aligned(button, Qt::AlignLeft | Qt::AlignVCenter, text, contents)}};
}

QList<Text> LineEditTexts(const QLineEdit* box) {
    if (box->text().isEmpty())
        return {};
    QStyleOptionFrame option;
    option.initFrom(box);
    option.lineWidth =
        box->hasFrame() ? box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, box) : 0;
    const QMargins margins = box->textMargins();
    // The box keeps two pixels on each side for its cursor.
    const QRect inside = box->style()
                             ->subElementRect(QStyle::SE_LineEditContents, &option, box)
                             .marginsRemoved(margins)
                             .adjusted(2, 0, -2, 0);
    const QFontMetrics metrics(box->font(), box);
    const QSize text(metrics.horizontalAdvance(box->text()), metrics.height());
    // and a pixel above and below.
    const QSize room(inside.width(), inside.height() - 2);
    return {{box->text(), text, room, Aligned(box, box->alignment(), text.boundedTo(inside.size()), inside)}};
}

// Every item of a drop-down list can become the one shown; the style draws it a pixel inside the field.
QList<Text> ComboTexts(const QComboBox* combo) {
    QStyleOptionComboBox option;
    option.initFrom(combo);
    const QRect field =
        combo->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo);
    QString widest;
    for (int i = 0; i < combo->count(); ++i) {
        if (TextSize(combo, combo->itemText(i)).width() > TextSize(combo, widest).width())
            widest = combo->itemText(i);
    }
    const QSize shown = TextSize(combo, combo->currentText()).boundedTo(field.size());
    return {{widest, TextSize(combo, widest) + QSize(2, 0), field.size(),
             Aligned(combo, Qt::AlignLeft | Qt::AlignVCenter, shown, field)}};
}

// A list box scrolls, sideways too, and may show part of a row at its foot. A list that cannot scroll
// sideways is a spinner: it shows its one value whole, and no part of the next.
QList<Text> ListTexts(const QListWidget* list) {
    const QWidget* view = list->viewport();
    const bool spinner = list->horizontalScrollBarPolicy() == Qt::ScrollBarAlwaysOff;
    QList<Text> texts;
    for (int i = 0; i < list->count(); ++i) {
        const QRect item = list->visualItemRect(list->item(i));
        const QRect shown = item & view->rect();
        if (shown.isEmpty())
            continue;
        const QSize need(spinner ? list->sizeHintForColumn(0) : 0, item.height());
        const QSize room(view->width(), spinner ? shown.height() : view->height());
        texts.append({list->item(i)->text(), need, room, shown.translated(view->pos())});
    }
    return texts;
}

QList<Text> TabTexts(const QTabBar* bar) {
    const QStyle* style = bar->style();
    const QSize padding(style->pixelMetric(QStyle::PM_TabBarTabHSpace, nullptr, bar), 0);
    QList<Text> texts;
    for (int i = 0; i < bar->count(); ++i)
        texts.append({bar->tabText(i), TextSize(bar, bar->tabText(i)) + padding, bar->tabRect(i).size(),
                      bar->tabRect(i)});
    return texts;
}

QList<Text> GroupBoxTexts(const QGroupBox* box) {
    QStyleOptionGroupBox option;
    option.initFrom(box);
    option.text = box->title();
    option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
    const QRect label =
        box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box);
    return {{box->title(), TextSize(box, box->title()), label.size(), label}};
}

// The rows of the status board in sight: the name as drawn beside the light, and the time between the
// light and the row's end, each within the row's band.
QList<Text> BoardTexts(const StatusBoardView* view) {
    const auto* delegate = qobject_cast<const BoardRowDelegate*>(view->itemDelegate());
    const QWidget* viewport = view->viewport();
    const QFontMetrics metrics(view->font(), view);
    QList<Text> texts;
    for (int i = 0; i < view->model()->rowCount(); ++i) {
        const QModelIndex index = view->model()->index(i, 0);
        const QRect row = view->visualRect(index);
        if (!row.intersects(viewport->rect()))
            continue;
        const BoardRowDelegate::Parts parts = delegate->RowParts(row);
        const QString name = delegate->NameAsDrawn(metrics, index.data().toString(), row);
        const QString time = index.data(StatusBoardModel::TimeTextRole).toString();
        const QSize nameSize = TextSize(view, name), timeSize = TextSize(view, time);
        const QRect timeRoom(parts.light.right() + 1, parts.time.top(),
                             parts.time.right() - parts.light.right(), parts.time.height());
        // A row at the foot of the board is cut by it, as rows scroll under its lower edge.
        const auto seen = [viewport](const QRect& drawn) {
            return (drawn & viewport->rect()).translated(viewport->pos());
        };
        texts.append({name, nameSize, parts.name.size(),
                      seen(Aligned(view, Qt::AlignLeft | Qt::AlignVCenter, nameSize, parts.name))});
        texts.append({time, timeSize, timeRoom.size(),
                      seen(Aligned(view, Qt::AlignRight | Qt::AlignVCenter, timeSize, parts.time))});
    }
    return texts;
}

QList<Text> TextsOf(const QWidget* widget) {
    if (auto* board = qobject_cast<const StatusBoardView*>(widget))
        return BoardTexts(board);
    if (auto* label = qobject_cast<const QLabel*>(widget))
        return LabelTexts(label);
    if (auto* button = qobject_cast<const QAbstractButton*>(widget))
        return ButtonTexts(button);
    if (auto* box = qobject_cast<const QLineEdit*>(widget))
        return LineEditTexts(box);
    if (auto* combo = qobject_cast<const QComboBox*>(widget))
        return ComboTexts(combo);
    if (auto* list = qobject_cast<const QListWidget*>(widget))
        return ListTexts(list);
    if (auto* bar = qobject_cast<const QTabBar*>(widget))
        return TabTexts(bar);
    if (auto* box = qobject_cast<const QGroupBox*>(widget); box && !box->title().isEmpty())
        return GroupBoxTexts(box);
    return {};
}

// The widget and its parents up to the window, the window first.
QList<const QWidget*> Lineage(const QWidget* widget) {
    QList<const QWidget*> chain;
    for (const QWidget* w = widget; w; w = w->isWindow() ? nullptr : w->parentWidget())
        chain.prepend(w);
    return chain;
}

// Where a control lies in the window's coordinates.
QRect InWindow(const QWidget* widget, const QWidget* window) {
    return QRect(widget->mapTo(window, QPoint(0, 0)), widget->size());
}

// What of a control a text must keep clear of, above or below it: all of it when it paints a body, only
// its text when it is a label drawn on what lies behind it, nothing when it is a mere container.
QRect Cover(const QWidget* widget, const QWidget* window) {
    const QRect whole = InWindow(widget, window);
    auto* label = qobject_cast<const QLabel*>(widget);
    if (widget->autoFillBackground() || (label && !label->pixmap().isNull()))
        return whole;
    if (label) {
        const QList<Text> texts = LabelTexts(label);
        return texts.isEmpty() ? QRect() : texts.first().drawn.translated(whole.topLeft());
    }
    const bool body = widget->inherits("QAbstractButton") || widget->inherits("QLineEdit") ||
                      widget->inherits("QComboBox") || widget->inherits("QAbstractScrollArea") ||
                      widget->inherits("QAbstractSlider") || widget->inherits("QTabBar") ||
                      widget->inherits("LightShape");
    return body ? whole : QRect();
}

QString Size(QSize size) {
    return QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
}

// A window manager draws the title in its own font, not known here: taken as the application's font in
// bold, with room for the window's icon and three buttons, each as wide as a title bar is high.
int TitleNeed(const QString& title) {
    QFont font = QApplication::font();
    font.setBold(true);
    const QFontMetrics metrics(font);
    return metrics.horizontalAdvance(title) + 4 * (metrics.height() + 10);
}

void CheckMenus(const QWidget* window, QStringList& misfits) {
    for (const QMenuBar* bar : window->findChildren<QMenuBar*>()) {
        for (QAction* action : bar->actions()) {
            if (!bar->rect().contains(bar->actionGeometry(action)) || bar->actionGeometry(action).isEmpty())
                misfits << "menu bar: \"" + action->text() + "\" is not on the bar";
        }
    }
    for (QMenu* menu : window->findChildren<QMenu*>()) {
        const QFontMetrics metrics(menu->font(), menu);
        for (QAction* action : menu->actions()) {
            const int need = metrics.horizontalAdvance(action->text());
            if (need > menu->actionGeometry(action).width())
                misfits << "menu " + menu->title() + ": \"" + action->text() + "\" needs " +
                               QString::number(need) + " px";
        }
    }
}

// A caption's text stands level with the middle of the box it names, and nothing stands on the line
// of a frame's title.
void CheckCaptionsAndFrames(const QWidget* window, const QList<const QWidget*>& shown, QStringList& misfits) {
    for (const QWidget* widget : shown) {
        const auto* caption = qobject_cast<const QLabel*>(widget);
        if (!caption || !caption->buddy() || !shown.contains(caption->buddy()))
            continue;
        const QList<Text> texts = LabelTexts(caption);
        if (texts.isEmpty())
            continue;
        const int textMiddle =
            texts.first().drawn.translated(InWindow(caption, window).topLeft()).center().y();
        const int boxMiddle = InWindow(caption->buddy(), window).center().y();
        if (std::abs(textMiddle - boxMiddle) > 1)
            misfits << Describe(caption) + " \"" + caption->text() + "\": stands " +
                           QString::number(textMiddle - boxMiddle) + " px off the middle of its box";
    }
    for (const QWidget* widget : shown) {
        const auto* frame = qobject_cast<const QGroupBox*>(widget);
        if (!frame || frame->title().isEmpty())
            continue;
        const QRect whole = InWindow(frame, window);
        const QRect label = GroupBoxTexts(frame).first().drawn;
        const QRect title(whole.left(), whole.top(), whole.width(), label.bottom() + 1);
        for (const QWidget* other : shown) {
            if (other == frame || other->isAncestorOf(frame) || !whole.contains(InWindow(other, window)))
                continue;
            if (Cover(other, window).intersects(title))
                misfits << Describe(other) + ": stands on the title line of " + Describe(frame);
        }
    }
}

} // namespace

QStringList TextMisfits(QWidget* window) {
    QStringList misfits;
    if (const int need = TitleNeed(window->windowTitle()); need > window->width())
        misfits << "window title \"" + window->windowTitle() + "\": needs " + QString::number(need) +
                       " px, the window is " + QString::number(window->width());
    CheckMenus(window, misfits);

    QList<const QWidget*> shown;
    for (const QWidget* widget : window->findChildren<QWidget*>()) {
        // A control wholly outside what holds it (a row scrolled away, a page set aside) is not seen.
        QRect seen = InWindow(widget, window);
        for (const QWidget* holder : Lineage(widget))
            seen &= InWindow(holder, window);
        if (widget->isVisibleTo(window) && !widget->isWindow() && !seen.isEmpty())
            shown.append(widget);
    }
    for (const QWidget* widget : std::as_const(shown)) {
        for (const Text& t : TextsOf(widget)) {
            const QString what = Describe(widget) + " \"" + t.text + "\": ";
            if (widget->font().pointSizeF() < window->font().pointSizeF())
                misfits << what + "is shrunk to " + QString::number(widget->font().pointSizeF()) + " pt";
            if (t.need.width() > t.room.width() || t.need.height() > t.room.height())
                misfits << what + "needs " + Size(t.need) + ", has " + Size(t.room);
            const QRect drawn = t.drawn.translated(InWindow(widget, window).topLeft());
            // Rows may scroll under the board's lower edge; no text may run past a side, or out of
            // the window.
            for (const QWidget* holder : Lineage(widget)) {
                const QRect edge = InWindow(holder, window);
                if (drawn.left() < edge.left() || drawn.right() > edge.right() ||
                    (holder == window && (drawn.top() < edge.top() || drawn.bottom() > edge.bottom()))) {
                    misfits << what + "runs past the edge of " + Describe(holder);
                    break;
                }
            }
            QStringList crossed;
            for (const QWidget* other : std::as_const(shown)) {
                if (other != widget && !other->isAncestorOf(widget) && !widget->isAncestorOf(other) &&
                    Cover(other, window).intersects(drawn))
                    crossed << Describe(other);
            }
            crossed.removeDuplicates();
            if (!crossed.isEmpty())
                misfits << what + "overlaps " + crossed.join(", ");
        }
    }
    CheckCaptionsAndFrames(window, shown, misfits);
    return misfits;
}
