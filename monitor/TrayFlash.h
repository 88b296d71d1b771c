#pragma once

#include "monitor/CheckHost.h"
#include "monitor/Light.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

// The icon's flash when the light got worse: it alternates between the previous light's image and
// the status image, each long enough to be seen, and ends on the status image. A timer drives it,
// so the cycle that starts it never waits for it.
class TrayFlash : public QObject {
    Q_OBJECT
public:
    static constexpr int Alternations = 10;
    static constexpr int DefaultStepMs = 200;

    explicit TrayFlash(TrayIndicator& tray, QObject* parent = nullptr);

    // Shows the previous light's image at once, then alternates.
    void Start(Light previous);
    // Ends a flash under way on the status image.
    void Stop();
    // Ends it without touching the icon (the program is ending and the icon may be gone).
    void Abandon();
    bool IsActive() const { return m_timer.isActive(); }
    void setStepMs(int ms) { m_stepMs = ms; }

signals:
    void finished();

private:
    void ShowStep();

    TrayIndicator& m_tray;
    QTimer m_timer;
    QElapsedTimer m_since;
    Light m_previous = LightNone;
    int m_step = 0;
    int m_stepMs = DefaultStepMs;
};
