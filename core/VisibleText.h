#pragma once

#include <QString>

// A name as it may be shown in a list line, a label or a message: characters that would change how
// the text around them is drawn (line breaks, other control characters, bidirectional controls such
// as U+202E, half of a broken UTF-16 pair) are shown as \uXXXX instead, so a name can neither spill
// over its row nor display reversed. Only for showing: the stored name stays as it is.
QString VisibleText(const QString& text);
