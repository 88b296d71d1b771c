#include "monitor/PluginReport.h"

#include "monitor/CycleTexts.h"
#include "monitor/LightRules.h"

#include <algorithm>

namespace PluginReport {
namespace {

const QString Product = QStringLiteral("VANTREL");

QString StatusWord(ExitStatus status) {
    switch (status) {
    case Ok:
        return QStringLiteral("OK");
    case Warning:
        return QStringLiteral("WARNING");
    case Critical:
        return QStringLiteral("CRITICAL");
    case Unknown:
        break;
    }
    return QStringLiteral("UNKNOWN");
}

// Names and values are whatever a person stored. A line break would start a line of its own and a
// "|" would start performance data, so a monitoring system would misread everything after them.
QString OneLine(const QString& text) {
    QString line = text;
    for (QChar& c : line) {
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            c = QLatin1Char(' ');
        else if (c == QLatin1Char('|'))
            c = QChar(0x00A6); // broken bar: reads the same, means nothing to the reader
    }
    return line;
}

// A performance label is quoted, a quote in it doubled; "=" would end the label, so it cannot stay.
QString PerfLabel(const QString& name) {
    QString label = OneLine(name);
    label.replace(QLatin1Char('='), QLatin1Char('_'));
    label.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + label + QLatin1Char('\'');
}

// "up=4;;;0;5", then each service's time; a service that did not answer has no response time ("U").
QString PerfData(const QList<ServiceResult>& services) {
    QString data = QStringLiteral("up=%1;;;0;%2").arg(UpCount(services)).arg(services.size());
    for (const ServiceResult& service : services) {
        const QString time =
            service.outcome.up() ? QStringLiteral("%1ms").arg(service.milliseconds) : QStringLiteral("U");
        data += QLatin1Char(' ') + PerfLabel(service.name) + QLatin1Char('=') + time + QStringLiteral(";;;0");
    }
    return data;
}

QString Prefix(ExitStatus status) {
    return Product + QLatin1Char(' ') + StatusWord(status) + QStringLiteral(" - ");
}

} // namespace

int UpCount(const QList<ServiceResult>& services) {
    return static_cast<int>(std::count_if(services.begin(), services.end(),
                                          [](const ServiceResult& s) { return s.outcome.up(); }));
}

ExitStatus StatusOf(Light light) {
    switch (light) {
    case LightGreen:
        return Ok;
    case LightYellow:
        return Warning;
    case LightRed:
        return Critical;
    case LightNone:
        break;
    }
    return Unknown;
}

QString StatusLine(Light light, const QList<ServiceResult>& services) {
    const int count = static_cast<int>(services.size());
    if (count == 0)
        return NoServicesLine();
    const int up = UpCount(services);
    return Prefix(StatusOf(light)) + CycleTexts::UpShare(up, count, PercentUpRounded(up, count)) +
           QStringLiteral(" | ") + PerfData(services);
}

QString UnknownLine(const QString& why) {
    return Prefix(Unknown) + OneLine(why);
}

QString NoServicesLine() {
    return UnknownLine(QStringLiteral("no services are defined"));
}

QString ServiceLine(const ServiceResult& service) {
    QString line = OneLine(service.name) + QStringLiteral(": ") + OneLine(service.value) +
                   (service.outcome.up() ? QStringLiteral(" up, ") : QStringLiteral(" down, ")) +
                   QStringLiteral("%1 ms").arg(service.milliseconds);
    if (!service.outcome.up())
        line += QStringLiteral(", ") + OneLine(ReasonText(service.outcome));
    return line;
}

QString Report(Light light, const QList<ServiceResult>& services) {
    QString report = StatusLine(light, services) + QLatin1Char('\n');
    for (const ServiceResult& service : services)
        report += ServiceLine(service) + QLatin1Char('\n');
    return report;
}

} // namespace PluginReport
