#pragma once

#include <QString>

// Why a probe found a service down, in the terms an administrator acts on.
enum class ProbeReason {
    Open,        // the connection opened: up
    Refused,     // something answered and said no: the host is there, nothing listens on the port
    TimedOut,    // nothing answered within the time-out
    Unreachable, // no route to the network or the host
    NoPort,      // the stored value names no port, so nothing was tried
    Other,       // any other error: the system's own text says what
};

struct ProbeOutcome {
    ProbeReason reason = ProbeReason::Other;
    QString systemText; // the system's words for an Other reason
    bool up() const { return reason == ProbeReason::Open; }
};

// The outcome of a connect attempt from the socket's error number (0 when it opened).
ProbeOutcome ClassifyConnectError(int error);
// The reason in a few words ("connection refused", "timed out", ...); empty for an open connection.
QString ReasonText(const ProbeOutcome& outcome);
