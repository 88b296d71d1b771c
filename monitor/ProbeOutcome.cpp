#include "monitor/ProbeOutcome.h"

#include <cerrno>
#include <cstring>

ProbeOutcome ClassifyConnectError(int error) {
    switch (error) {
    case 0:
        return {ProbeReason::Open, {}};
    case ECONNREFUSED:
        return {ProbeReason::Refused, {}};
    case ETIMEDOUT:
        return {ProbeReason::TimedOut, {}};
    case ENETUNREACH:
    case EHOSTUNREACH:
    case ENETDOWN:
    case EHOSTDOWN:
        return {ProbeReason::Unreachable, {}};
    default:
        return {ProbeReason::Other, QString::fromLocal8Bit(std::strerror(error)).toLower()};
    }
}

QString ReasonText(const ProbeOutcome& outcome) {
    switch (outcome.reason) {
    case ProbeReason::Open:
        return {};
    case ProbeReason::Refused:
        return QStringLiteral("connection refused");
    case ProbeReason::TimedOut:
        return QStringLiteral("timed out");
    case ProbeReason::Unreachable:
        return QStringLiteral("unreachable");
    case ProbeReason::NoPort:
        return QStringLiteral("no port to connect to");
    case ProbeReason::Other:
        break;
    }
    return outcome.systemText;
}
