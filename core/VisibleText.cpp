#include "core/VisibleText.h"

namespace {

bool ChangesLayout(const QString& text, qsizetype i) {
    const char16_t c = text[i].unicode();
    if (QChar::isHighSurrogate(c))
        return i + 1 >= text.size() || !QChar::isLowSurrogate(text[i + 1].unicode());
    if (QChar::isLowSurrogate(c))
        return i == 0 || !QChar::isHighSurrogate(text[i - 1].unicode());
    switch (QChar::category(char32_t(c))) {
    case QChar::Other_Control:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        break;
    }
    // The bidirectional marks, embeddings, overrides and isolates; other format characters (the
    // joiners inside emoji, soft hyphens) draw as intended.
    return c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069);
}

} // namespace

QString VisibleText(const QString& text) {
    QString shown;
    shown.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (ChangesLayout(text, i))
            shown += QStringLiteral("\\u%1").arg(QString::number(text[i].unicode(), 16).toUpper(), 4, u'0');
        else
            shown += text[i];
    }
    return shown;
}
