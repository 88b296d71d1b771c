#pragma once

#include "ui/common/Twips.h"

#include <QLabel>
#include <QPushButton>
#include <QRect>
#include <QWidget>

// Small helpers for building the options dialog from its layout, which is given in twips.

// In the window's proportions: its font decides how large a twip is (see Twips.h).
inline QRect TwipsRect(const QWidget* widget, double left, double top, double width, double height) {
    return TwipsScale(widget).Rect(left, top, width, height);
}

template <typename W> W* SetTwipsGeometry(W* widget, double left, double top, double width, double height) {
    widget->setGeometry(TwipsRect(widget, left, top, width, height));
    return widget;
}

// The dialog has no default button: Enter never presses one behind the user's back.
inline QPushButton* NewButton(const QString& caption, const QString& name, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

inline QLabel* NewLabel(const QString& caption, QWidget* parent) {
    auto* label = new QLabel(caption, parent);
    label->setTextFormat(Qt::PlainText);
    return label;
}
