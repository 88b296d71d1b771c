#pragma once

#include <QString>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QWidget;

// Pixels kept between a caption's text and the control it stands beside.
inline constexpr int kTextGap = 2;

// The widths controls need to show their texts whole, with the style's frames and margins: where a
// layout gives a control less, the control grows instead of cutting its text.
int TextWidth(const QWidget* widget, const QString& text);
int NeededWidth(const QPushButton* button);
int NeededWidth(const QLineEdit* box, const QString& widestText);
int NeededWidth(const QComboBox* combo);  // its widest item
int NeededWidth(const QListWidget* list); // its widest item, beside its vertical scroll bar

// Grows `widget` to `width` when it is narrower: to the right, or to the left when `keepRightEdge`.
void WidenTo(QWidget* widget, int width, bool keepRightEdge = false);
// Every label on `container` is at least as wide as its text: a caption is never cut.
void WidenCaptions(QWidget* container);
// A caption in front of a box: where its text would run into the box, the caption moves left.
void EndBefore(QLabel* caption, const QWidget* box);
// Or the box starts after the caption's text, keeping its right edge.
void StartAfter(QWidget* box, const QLabel* caption);
// A caption beside a box stands as high as the box, its text vertically centred on it.
void CentreBeside(QLabel* caption, const QWidget* box);
// A label after a box (a unit) starts after the box.
void FollowOn(QLabel* label, const QWidget* box);
