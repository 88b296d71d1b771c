#pragma once

#include <QStringList>

class QWidget;

// Every place in `window` where a text the user can see needs more room than its control gives it,
// is drawn under another control, or runs past the edge of what holds it; one line each, naming the
// control and the text. Labels, buttons, check boxes, text boxes, drop-down lists (every item), list
// boxes, tabs, group box titles, menus and the window's title are measured with the control's own font
// and the style's margins. The window must be shown, so that its layout has run.
QStringList TextMisfits(QWidget* window);
