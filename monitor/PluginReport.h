#pragma once

#include "monitor/Light.h"
#include "monitor/ProbeOutcome.h"

#include <QList>
#include <QString>

// A check cycle's result told the way monitoring systems read their plugins: a status line with
// performance data after "|", one line per service, and an exit status from the light.
namespace PluginReport {

struct ServiceResult {
    QString name;  // the service's host name, as stored
    QString value; // the stored "address:port"
    ProbeOutcome outcome;
    qint64 milliseconds = 0; // the probe's own time, floored
};

enum ExitStatus { Ok = 0, Warning = 1, Critical = 2, Unknown = 3 };

// How many of the services were up.
int UpCount(const QList<ServiceResult>& services);
// Green OK, yellow WARNING, red CRITICAL, no light UNKNOWN.
ExitStatus StatusOf(Light light);
// "VANTREL WARNING - 4 of 5 servers (80%) are up | up=4;;;0;5 'mail'=3ms;;;0 ..."
QString StatusLine(Light light, const QList<ServiceResult>& services);
// "VANTREL UNKNOWN - why": the status line when nothing could be checked.
QString UnknownLine(const QString& why);
// The status line when the store holds no services.
QString NoServicesLine();
// "mail: 10.0.0.2:25 up, 3 ms" or "web: 10.0.0.1:80 down, 0 ms, connection refused".
QString ServiceLine(const ServiceResult& service);
// The status line, then one line per service in the order given; every line ends in a line feed.
QString Report(Light light, const QList<ServiceResult>& services);

} // namespace PluginReport
