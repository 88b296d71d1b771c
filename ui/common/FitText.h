#pragma once

#include <QString>

class QLabel;
class QLineEdit;
class QWidget;

// The layouts were drawn for a narrower font than desktop fonts today: a caption or a short box is made a
// little smaller rather than cut off.
void FitCaption(QLabel* label, double smallestPointSize);
// Every label on `container` and below.
void FitCaptions(QWidget* container, double smallestPointSize);
// A box too narrow for its widest expected text (an octet box and "255") keeps no inner margins and gets
// a smaller font where needed.
void FitBox(QLineEdit* box, const QString& widestText, double smallestPointSize);
