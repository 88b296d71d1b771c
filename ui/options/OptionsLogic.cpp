#include "ui/options/OptionsLogic.h"

#include "core/Numeric.h"
#include "core/clsConverter.h"

#include <algorithm>
#include <cmath>

namespace OptionsLogic {

namespace {
// Nearest whole number, halves to even, so 14.5 selects row 14 whatever the rounding mode.
double RoundHalfEven(double value) {
    return value - std::remainder(value, 1.0);
}
} // namespace

QString ServiceLine(const QString& key, const QString& value) {
    return key + u' ' + value;
}

ServiceParts SplitServiceLine(const QString& line) {
    const clsConverter converter;
    ServiceParts parts;
    parts.port = converter.getPort(line);
    parts.ip4 = converter.GetFourthOctet(line);
    parts.ip3 = converter.GetThirdOctet(line);
    parts.ip2 = converter.GetSecondOctet(line);
    parts.ip1 = converter.GetFirstOctet(line);
    // One blank, three dots and one colon separate the six pieces.
    const qsizetype hostLength = line.size() - parts.port.size() - parts.ip4.size() - parts.ip3.size() -
                                 parts.ip2.size() - parts.ip1.size() - 5;
    parts.host = line.left(std::max<qsizetype>(hostLength, 0));
    return parts;
}

ServiceInputCheck CheckServiceInput(const ServiceParts& input) {
    const clsConverter converter;
    const QString address = converter.BuildIP(input.ip1, input.ip2, input.ip3, input.ip4);
    if (address == QLatin1String("Error"))
        return {ServiceInputError::InvalidAddress, {}};
    if (!converter.ValidPort(input.port))
        return {ServiceInputError::InvalidPort, {}};
    // A blank key would be a service nobody can name, edit or tell apart from the next blank one.
    if (input.host.trimmed().isEmpty())
        return {ServiceInputError::BlankHostName, {}};
    return {ServiceInputError::None, address + u':' + input.port};
}

int FrequencyIndexFor(const QString& stored) {
    const std::optional<double> value = ParseNumeric(stored);
    if (!value)
        return kFallbackFrequencyIndex;
    const double index = RoundHalfEven(*value);
    if (!(index >= 0 && index < static_cast<double>(kFrequencyCaptions.size())))
        return kFallbackFrequencyIndex;
    return static_cast<int>(index);
}

int ThresholdRowFor(const QString& stored, int fallbackPercent) {
    const std::optional<double> value = ParseNumeric(stored);
    if (!value)
        return 100 - fallbackPercent;
    // Clamped before rounding: a text too long to hold still lands at an end of the list.
    const double row = std::clamp(100.0 - *value, 0.0, static_cast<double>(kThresholdRows - 1));
    return static_cast<int>(RoundHalfEven(row));
}

QString TimeoutTextFor(const QString& stored) {
    return stored.isEmpty() ? QStringLiteral("10") : stored;
}

TimeoutVerdict CheckTimeout(const QString& text) {
    const std::optional<double> value = ParseNumeric(text);
    if (!value)
        return TimeoutVerdict::NotNumeric;
    const double whole = std::floor(*value);
    if (!(whole > 0 && whole <= 30))
        return TimeoutVerdict::NotPlainWhole;
    return text == QString::number(static_cast<int>(whole)) ? TimeoutVerdict::Ok
                                                            : TimeoutVerdict::NotPlainWhole;
}

} // namespace OptionsLogic
