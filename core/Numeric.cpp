#include "core/Numeric.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace {
bool IsAsciiDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}
} // namespace

std::optional<double> ParseNumeric(const QString& text) {
    // Only the blank counts as padding: a tab or a line break in a port box is a typing mistake.
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == u' ')
        ++begin;
    while (end > begin && text[end - 1] == u' ')
        --end;

    bool negative = false;
    if (begin < end && (text[begin] == u'+' || text[begin] == u'-')) {
        negative = text[begin] == u'-';
        ++begin;
    }

    // Checked by hand rather than by a library parser, which would also take exponents, "inf",
    // "nan", hex or (for the C runtime) the user's decimal separator.
    std::string digits;
    digits.reserve(static_cast<size_t>(end - begin));
    bool seenPoint = false;
    bool seenDigit = false;
    bool seenNonZeroBeforePoint = false;
    for (qsizetype i = begin; i < end; ++i) {
        const QChar c = text[i];
        if (IsAsciiDigit(c)) {
            seenDigit = true;
            if (!seenPoint && c != u'0')
                seenNonZeroBeforePoint = true;
        } else if (c == u'.' && !seenPoint) {
            seenPoint = true;
        } else {
            return std::nullopt;
        }
        digits.push_back(static_cast<char>(c.unicode()));
    }
    if (!seenDigit)
        return std::nullopt;

    double value = 0.0;
    const auto result =
        std::from_chars(digits.data(), digits.data() + digits.size(), value, std::chars_format::fixed);
    if (result.ec == std::errc::result_out_of_range) {
        // A very long text is still a number: too large to hold, or too small to tell from zero.
        value = seenNonZeroBeforePoint ? std::numeric_limits<double>::infinity() : 0.0;
    } else if (result.ec != std::errc() || result.ptr != digits.data() + digits.size()) {
        return std::nullopt;
    }
    return negative ? -value : value;
}
