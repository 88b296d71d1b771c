#pragma once

#include "monitor/CheckState.h"
#include "monitor/ProbeOutcome.h"
#include "monitor/ServiceHistory.h"

#include <QDateTime>
#include <QString>
#include <optional>

// A desktop notification about the services that went down or came back up in one cycle.
struct DesktopAlert {
    QString summary;
    QString body;          // plain text, one line per service
    bool critical = false; // something went down
};

namespace AlertTexts {
// At most this many services are named in one notification; the rest are counted.
inline constexpr int MaxNamed = 10;

// "mail — down since 14:03:12 (connection refused)" or "web — up since 09:00:05, 3ms". The date is
// added when the state began on another day than `now`; "since" is left out when unknown.
QString ServiceStateText(const QString& host, const ProbeOutcome& outcome, float responseMs,
                         const QDateTime& since, const QDateTime& now);
// The same for element `index` of the last cycle's results; empty when there is no such result or a
// cycle is running (the board takes its texts when it is rebuilt after a cycle).
QString ServiceStateText(const CheckState& state, int index, const QDateTime& now);

// One notification for a cycle's changes, or none when nothing changed. Services that went down
// make it critical ("2 of 5 servers down", one line per service with its reason); services that came
// back are named ("mail is up again"), after the ones that went down when both happened.
std::optional<DesktopAlert> AlertFor(const CheckState& state, const ServiceTransitions& changes);
} // namespace AlertTexts
