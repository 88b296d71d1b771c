#include "core/StoreNotices.h"

#include "core/SettingsStore.h"
#include "core/Texts.h"

QStringList StoreNotices::AtStartUp() {
    QStringList boxes;
    if (const QString problem = StoreReadProblem(m_appName); !problem.isEmpty()) {
        boxes.append(Texts::StoreUnusable(problem));
        m_failureTold = true; // the program's own saves fail for the same reason; said once is enough
    }
    if (const auto damage = DamageFoundSince())
        boxes.append(*damage);
    return boxes;
}

std::optional<QString> StoreNotices::DamageFoundSince() {
    if (const auto damage = TakeStoreDamage(m_appName))
        return Texts::StoreDamaged(*damage);
    return std::nullopt;
}

std::optional<QString> StoreNotices::AfterOwnSave(bool saved) {
    if (saved || m_failureTold) {
        m_failureTold = !saved;
        return std::nullopt;
    }
    m_failureTold = true;
    return Texts::StoreWriteFailed(LastStoreError());
}
