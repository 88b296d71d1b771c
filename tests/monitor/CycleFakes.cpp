#include "tests/monitor/CycleFakes.h"

void RecordingCheckHost::LockCommands() {
    m_log.calls << QStringLiteral("Lock");
}
void RecordingCheckHost::UnlockCommands() {
    m_log.calls << QStringLiteral("Unlock");
}
void RecordingCheckHost::ShowStatusLight(Light light) {
    m_log.calls << QStringLiteral("Status(%1)").arg(static_cast<int>(light));
}
void RecordingCheckHost::ShowMainWindow() {
    m_log.calls << QStringLiteral("ShowMainWindow");
}
void RecordingCheckHost::DisplayServiceStatus() {
    m_log.calls << QStringLiteral("Display");
}
void RecordingCheckHost::ClearBoardRows() {
    m_log.calls << QStringLiteral("ClearBoard");
}
bool RecordingCheckHost::AskYesNo(const QString& text) {
    m_log.calls << QStringLiteral("Ask");
    questions << text;
    if (whileAsking)
        whileAsking();
    return answerYes;
}
void RecordingCheckHost::Inform(const QString& text) {
    m_log.calls << QStringLiteral("Inform");
    informed << text;
}
void RecordingCheckHost::PlayAlarm() {
    m_log.calls << QStringLiteral("Alarm");
}

void RecordingTray::SetTrayToolTip(const QString& text) {
    m_log.calls << QStringLiteral("Tip");
    toolTip = text;
    toolTipsWritten << text;
}
void RecordingTray::SetTrayImageToLight(Light light) {
    m_log.calls << QStringLiteral("Image(%1)").arg(static_cast<int>(light));
}
void RecordingTray::SetTrayImageToStatus() {
    m_log.calls << QStringLiteral("Image(status)");
}
void RecordingTray::Show() {
    m_log.calls << QStringLiteral("Show");
}
