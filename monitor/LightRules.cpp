#include "monitor/LightRules.h"

namespace {
// upCount / serviceCount >= threshold / 100, without a division that would round.
bool Meets(int upCount, int serviceCount, double threshold) {
    return static_cast<double>(upCount) * 100.0 >= threshold * static_cast<double>(serviceCount);
}
} // namespace

Light ChooseLight(int upCount, int serviceCount, double green, double yellow) {
    if (Meets(upCount, serviceCount, green))
        return LightGreen;
    if (Meets(upCount, serviceCount, yellow))
        return LightYellow;
    return LightRed;
}

int PercentUpRounded(int upCount, int serviceCount) {
    const long long numerator = 100LL * upCount;
    long long quotient = numerator / serviceCount;
    const long long twiceRemainder = 2 * (numerator % serviceCount);
    if (twiceRemainder > serviceCount || (twiceRemainder == serviceCount && quotient % 2 != 0))
        ++quotient;
    return static_cast<int>(quotient);
}
