#include "monitor/ServiceHistory.h"

#include <algorithm>

ServiceTransitions ServiceHistory::Record(const QList<QPair<QString, QString>>& services,
                                          const QList<bool>& up, const QDateTime& at) {
    ServiceTransitions changes;
    QHash<QPair<QString, QString>, Entry> next;
    const qsizetype count = std::min(services.size(), up.size());
    for (qsizetype i = 0; i < count; ++i) {
        const bool isUp = up.at(i);
        const auto known = m_entries.constFind(services.at(i));
        const bool firstSeen = known == m_entries.constEnd();
        const bool changed = firstSeen || known->up != isUp;
        // A service down at first sight has never been told about, so it counts as newly down; one
        // up at first sight has nothing to come back from.
        if (changed && !isUp)
            changes.wentDown << static_cast<int>(i);
        else if (changed && !firstSeen)
            changes.cameUp << static_cast<int>(i);
        next.insert(services.at(i), changed ? Entry{isUp, at} : *known);
    }
    m_entries = std::move(next);
    return changes;
}

QDateTime ServiceHistory::Since(const QString& host, const QString& value) const {
    const auto known = m_entries.constFind({host, value});
    return known == m_entries.constEnd() ? QDateTime() : known->since;
}
