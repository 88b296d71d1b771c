#pragma once

#include <QtGlobal>
#include <cstdio>
#include <optional>

// One check of every stored service, in stored order, with the tray program's probe and light
// rules, for a terminal, cron or a monitoring system. Prints the report to `out` and returns the
// monitoring exit status (0 OK to 3 UNKNOWN). Reads the store and never writes it. Needs a
// QCoreApplication (the probes wait in its event loop), nothing more.
int RunCheckCommand(std::optional<qint16> timeoutMs, std::FILE* out);
