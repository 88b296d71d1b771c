#pragma once

#include "core/SocketControl.h"
#include "core/clsConverter.h"

#include <QString>

// Does a TCP connection to the address and port at the right-hand end of `service` open within
// TimeoutMs? A connection that opens is closed again at once. Host names are never resolved here.
bool ProbeService(SocketControl& objSocket, const clsConverter& Converter, qint16 TimeoutMs,
                  const QString& service);
