#pragma once

#include "core/SocketControl.h"
#include "core/clsConverter.h"
#include "monitor/ProbeOutcome.h"

#include <QString>
#include <functional>

// Does a TCP connection to the address and port at the right-hand end of `service` open within
// TimeoutMs? A connection that opens is closed again at once. Host names are never resolved here.
bool ProbeService(SocketControl& objSocket, const clsConverter& Converter, qint16 TimeoutMs,
                  const QString& service);

// The same probe without waiting: `done(up)` runs once the attempt has ended, before the call returns
// when the answer needs no wait. Nothing runs when the socket's wait is aborted.
void BeginProbeService(SocketControl& objSocket, const clsConverter& Converter, qint16 TimeoutMs,
                       const QString& service, std::function<void(bool up)> done);

// The same probe with the reason a service was found down; `done(outcome)` runs as above.
void BeginProbeService(SocketControl& objSocket, const clsConverter& Converter, qint16 TimeoutMs,
                       const QString& service, std::function<void(const ProbeOutcome&)> done);
