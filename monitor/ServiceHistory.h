#pragma once

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QPair>
#include <QString>

// What changed for the services in one cycle, as indices into that cycle's service list.
struct ServiceTransitions {
    QList<int> wentDown; // up before and down now, or down when first seen
    QList<int> cameUp;   // down before and up now
    bool isEmpty() const { return wentDown.isEmpty() && cameUp.isEmpty(); }
};

// Since when each service is in its present state: the end of the first cycle that found it so.
// A service is known by its host name and stored value, so an edited service starts afresh. Kept in
// memory only; services that leave the list are forgotten.
class ServiceHistory {
public:
    // Takes the results of a cycle that ended at `at` (one per element of `services`) and says which
    // services went down or came back up.
    ServiceTransitions Record(const QList<QPair<QString, QString>>& services, const QList<bool>& up,
                              const QDateTime& at);
    // When the service entered its present state; null when it was never checked.
    QDateTime Since(const QString& host, const QString& value) const;

private:
    struct Entry {
        bool up = false;
        QDateTime since;
    };
    QHash<QPair<QString, QString>, Entry> m_entries;
};
