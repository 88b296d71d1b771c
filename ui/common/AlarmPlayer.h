#pragma once

#include <memory>

class QSoundEffect;

// Plays the alarm sound that lies beside the program, without waiting for it. A missing file or
// audio device is ignored: the alarm is a courtesy, never a reason to stop a check. Tests count the
// requests instead of playing.
class AlarmPlayer {
public:
    AlarmPlayer();
    ~AlarmPlayer();
    AlarmPlayer(const AlarmPlayer&) = delete;
    AlarmPlayer& operator=(const AlarmPlayer&) = delete;

    void play();

    static void enableTestMode();
    static int takePlayCount();

private:
    std::unique_ptr<QSoundEffect> m_effect; // created on first use: most runs never sound the alarm
};
