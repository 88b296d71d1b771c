#pragma once

#include <QLoggingCategory>

// "vantrel.cycle": each cycle's start, every tooltip it writes (quoted, with \r\n escaped, so one line
// per entry) and its result. Silent unless enabled, e.g. QT_LOGGING_RULES="vantrel.cycle.info=true".
Q_DECLARE_LOGGING_CATEGORY(lcCycle)
