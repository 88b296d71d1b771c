#include "core/clsConverter.h"

#include "core/Numeric.h"

#include <array>
#include <cmath>

// Positions are 1-based as in the service text's description, 0 meaning "not found"; every search
// runs leftwards from the end, so the host name (which may hold blanks, dots and colons) is never
// parsed. A text without a colon or with too few dots yields empty parts rather than failing.
namespace {

// Last occurrence of ch at or before position `at` (1-based), or 0.
qsizetype LastAtOrBefore(const QString& s, QChar ch, qsizetype at) {
    if (at <= 0)
        return 0;
    return s.lastIndexOf(ch, at - 1) + 1;
}

// Characters from position `from` to position `to` inclusive (1-based); empty when to < from.
QString Between(const QString& s, qsizetype from, qsizetype to) {
    if (to < from)
        return QString();
    return s.mid(from - 1, to - from + 1);
}

// The n-th address part counted from the right (1 = fourth part ... 4 = first part). A part ends
// just before the mark to its right (the last colon, then each dot) and begins after the dot to its
// left; the first part begins after the last blank before it, or at the start of the text.
QString PartFromRight(const QString& s, int n) {
    qsizetype right = 0;
    qsizetype left = s.lastIndexOf(u':') + 1;
    for (int i = 0; i < 3 && i < n; ++i) {
        right = left;
        left = LastAtOrBefore(s, u'.', right - 1);
        if (left == 0)
            return QString(); // no colon, or too few dots before it
    }
    if (n == 4) {
        right = left;
        left = LastAtOrBefore(s, u' ', right - 1);
    }
    return Between(s, left + 1, right - 1);
}

// Nearest whole number, halves to even, whatever the floating-point environment says.
double RoundHalfEven(double v) {
    const double lower = std::floor(v);
    const double diff = v - lower;
    if (diff < 0.5)
        return lower;
    if (diff > 0.5)
        return lower + 1.0;
    return std::fmod(lower, 2.0) == 0.0 ? lower : lower + 1.0;
}

} // namespace

QString clsConverter::getPort(const QString& hoststring) const {
    return hoststring.mid(hoststring.lastIndexOf(u':') + 1);
}

QString clsConverter::GetFirstOctet(const QString& hoststring) const {
    return PartFromRight(hoststring, 4);
}
QString clsConverter::GetSecondOctet(const QString& hoststring) const {
    return PartFromRight(hoststring, 3);
}
QString clsConverter::GetThirdOctet(const QString& hoststring) const {
    return PartFromRight(hoststring, 2);
}
QString clsConverter::GetFourthOctet(const QString& hoststring) const {
    return PartFromRight(hoststring, 1);
}

bool clsConverter::ValidPort(const QString& strPort) const {
    const std::optional<double> value = ParseNumeric(strPort);
    return value && *value > 0.0 && *value < 65536.0;
}

bool clsConverter::ValidIP(const QString& strIP) const {
    if (strIP.isEmpty() || strIP.count(u'.') != 3)
        return false;
    if (strIP.size() > 254)
        return false;

    const QString withColon = strIP + u':';
    const std::array<QString, 4> parts{GetFirstOctet(withColon), GetSecondOctet(withColon),
                                       GetThirdOctet(withColon), GetFourthOctet(withColon)};
    qsizetype partsLength = 0;
    for (size_t i = 0; i < parts.size(); ++i) {
        const std::optional<double> value = ParseNumeric(parts[i]);
        if (!value)
            return false;
        const double whole = RoundHalfEven(*value);
        const double lowest = i == 0 ? 1.0 : 0.0;
        const double highest = i == 0 ? 223.0 : 255.0;
        if (!(whole >= lowest && whole <= highest))
            return false;
        partsLength += parts[i].size();
    }
    // Anything in front of the first part (a blank and more) makes the lengths disagree.
    return strIP.size() == partsLength + 3;
}

QString clsConverter::BuildIP(const QString& str1, const QString& str2, const QString& str3,
                              const QString& str4) const {
    static const QString error = QStringLiteral("Error");
    const std::array<const QString*, 4> texts{&str1, &str2, &str3, &str4};
    for (size_t i = 0; i < texts.size(); ++i) {
        const QString& text = *texts[i];
        // A part with a decimal point would give an address with more than three dots.
        if (text.contains(u'.'))
            return error;
        // Blanks around the first part would be taken for the separator before the address, so the
        // built address could never be taken apart again; around the other parts they do no harm.
        if (i == 0 && text.contains(u' '))
            return error;
        const std::optional<double> value = ParseNumeric(text);
        if (!value)
            return error;
        const bool inRange = i == 0 ? (*value > 0.0 && *value < 224.0) : (*value >= 0.0 && *value <= 255.0);
        if (!inRange)
            return error;
    }
    return str1 + u'.' + str2 + u'.' + str3 + u'.' + str4;
}
