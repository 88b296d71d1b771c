#include "monitor/AlertTexts.h"

#include "core/VisibleText.h"

#include <QStringList>

namespace AlertTexts {
namespace {
const QString Dash = QStringLiteral(" \u2014 ");

QString UpAgain(const QString& host) {
    return host + QStringLiteral(" is up again");
}

QString SinceText(const QDateTime& since, const QDateTime& now) {
    if (!since.isValid())
        return {};
    const QString format =
        since.date() == now.date() ? QStringLiteral("HH:mm:ss") : QStringLiteral("yyyy-MM-dd HH:mm:ss");
    return QStringLiteral(" since ") + since.toString(format);
}

// The lines past the limit are replaced by one that counts them.
QString Capped(QStringList lines) {
    if (lines.size() > MaxNamed) {
        const qsizetype more = lines.size() - MaxNamed;
        lines.resize(MaxNamed);
        lines << QStringLiteral("and %1 more").arg(more);
    }
    return lines.join(QLatin1Char('\n'));
}
} // namespace

QString ServiceStateText(const QString& host, const ProbeOutcome& outcome, float responseMs,
                         const QDateTime& since, const QDateTime& now) {
    if (outcome.up())
        return host + Dash + QStringLiteral("up") + SinceText(since, now) +
               QStringLiteral(", %1ms").arg(static_cast<qint64>(responseMs));
    return host + Dash + QStringLiteral("down") + SinceText(since, now) + QStringLiteral(" (") +
           ReasonText(outcome) + QLatin1Char(')');
}

QString ServiceStateText(const CheckState& state, int index, const QDateTime& now) {
    // While a cycle runs the list and the results are being replaced, so nothing is said of them.
    if (state.blnCheckInProgress || !state.ServiceList || index < 0 || index >= state.ServiceList->size() ||
        index >= state.Outcome.size() || index >= state.ResponseTime.size())
        return {};
    const auto& [host, value] = state.ServiceList->at(index);
    return ServiceStateText(host, state.Outcome.at(index), state.ResponseTime.at(index),
                            state.History.Since(host, value), now);
}

std::optional<DesktopAlert> AlertFor(const CheckState& state, const ServiceTransitions& changes) {
    if (changes.isEmpty() || !state.ServiceList)
        return std::nullopt;
    const ServicePairs& services = *state.ServiceList;
    QStringList lines;
    for (const int i : changes.wentDown)
        lines << VisibleText(services.at(i).first) + QStringLiteral(": ") +
                     ReasonText(state.Outcome.value(i));
    for (const int i : changes.cameUp)
        lines << UpAgain(VisibleText(services.at(i).first));

    DesktopAlert alert;
    alert.critical = !changes.wentDown.isEmpty();
    if (alert.critical)
        alert.summary = QStringLiteral("%1 of %2 servers down")
                            .arg(state.ServiceCount - state.UpCount)
                            .arg(state.ServiceCount);
    else if (changes.cameUp.size() == 1)
        alert.summary = UpAgain(VisibleText(services.at(changes.cameUp.first()).first));
    else
        alert.summary = QStringLiteral("%1 servers are up again").arg(changes.cameUp.size());
    // A single service back up is said in full by the summary.
    if (alert.critical || changes.cameUp.size() > 1)
        alert.body = Capped(lines);
    return alert;
}
} // namespace AlertTexts
