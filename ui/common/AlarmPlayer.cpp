#include "ui/common/AlarmPlayer.h"

#include "ui/common/AppPaths.h"

#include <QSoundEffect>
#include <QUrl>
#include <utility>

namespace {
bool g_testMode = false;
int g_playCount = 0;
} // namespace

AlarmPlayer::AlarmPlayer() = default;
AlarmPlayer::~AlarmPlayer() = default;

void AlarmPlayer::play() {
    if (g_testMode) {
        ++g_playCount;
        return;
    }
    if (!m_effect) {
        m_effect = std::make_unique<QSoundEffect>();
        m_effect->setSource(QUrl::fromLocalFile(AlarmSoundPath()));
    }
    // A sound that is still loading starts when it has loaded; one that failed stays silent.
    m_effect->play();
}

void AlarmPlayer::enableTestMode() {
    g_testMode = true;
}
int AlarmPlayer::takePlayCount() {
    return std::exchange(g_playCount, 0);
}
