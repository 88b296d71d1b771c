#pragma once

#include "monitor/Light.h"
#include "monitor/ProbeOutcome.h"
#include "monitor/ServiceHistory.h"

#include <QDateTime>
#include <QList>
#include <QPair>
#include <QString>
#include <chrono>
#include <optional>

using ServicePairs = QList<QPair<QString, QString>>; // (host name, stored value "address:port")

// The main window's monitoring state: written by the check cycle, read by the board, the tray
// events, the schedule and the options dialog.
struct CheckState {
    bool blnCheckInProgress = false;
    std::optional<ServicePairs> ServiceList; // as enumerated at the start of the last cycle
    QList<bool> ServiceUp;
    QList<float> ResponseTime;   // whole milliseconds
    QList<ProbeOutcome> Outcome; // why each probe found its service up or down
    ServiceHistory History;      // since when each service is up or down
    qint16 CurrentServiceIndex = -1;
    qint16 UpCount = 0;
    qint16 ServiceCount = 0;
    qint16 LastUpCount = 0;
    float ShareUp = 0;
    quint8 PercentUp = 0;
    Light CurrentLight = LightNone;
    Light PreviousLight = LightNone;
    QDateTime LastCheckTime;                                    // null until the first cycle
    std::optional<std::chrono::nanoseconds> LastCheckSinceBoot; // the same moment on the boot clock
    bool FirstCheckPending = true;
    qint16 TimeoutMs = 10000;
    bool AlarmEnabled = false;
    // Set when the program is ending: a running cycle stops before its next probe.
    bool blnExitRequested = false;
};
