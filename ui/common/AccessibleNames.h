#pragma once

#include <QString>

class QLabel;
class QWidget;

// Names a control after the caption beside it, for assistive technology (a screen reader reads
// "Host" for the box next to "Host:"), with `detail` where one caption stands for several controls.
// The caption becomes the buddy of the first control named after it.
void NameAfterCaption(QWidget* control, QLabel* caption, const QString& detail = QString());
