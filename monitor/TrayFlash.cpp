#include "monitor/TrayFlash.h"

#include "monitor/TrayLog.h"

Q_LOGGING_CATEGORY(lcTray, "vantrel.tray", QtWarningMsg)

namespace {
constexpr int StepCount = 2 * TrayFlash::Alternations; // previous, status, previous, ..., status
}

TrayFlash::TrayFlash(TrayIndicator& tray, QObject* parent) : QObject(parent), m_tray(tray) {
    // Each step is timed from the moment its image was shown: a step that came late must not make
    // the next one short. A precise timer is never early.
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        ++m_step;
        ShowStep();
    });
}

void TrayFlash::Start(Light previous) {
    m_previous = previous;
    m_step = 0;
    m_since.start();
    ShowStep();
}

void TrayFlash::ShowStep() {
    const bool previousImage = m_step % 2 == 0;
    qCInfo(lcTray).noquote() << QStringLiteral("flash %1 of %2 at %3 ms: %4")
                                    .arg(m_step + 1)
                                    .arg(StepCount)
                                    .arg(m_since.elapsed())
                                    .arg(previousImage ? QStringLiteral("previous light")
                                                       : QStringLiteral("status"));
    if (previousImage)
        m_tray.SetTrayImageToLight(m_previous);
    else
        m_tray.SetTrayImageToStatus();
    m_tray.Show();
    if (m_step + 1 < StepCount)
        m_timer.start(m_stepMs);
    else
        emit finished();
}

void TrayFlash::Stop() {
    if (!IsActive())
        return;
    m_timer.stop();
    m_tray.SetTrayImageToStatus();
    m_tray.Show();
    emit finished();
}

void TrayFlash::Abandon() {
    m_timer.stop();
}
