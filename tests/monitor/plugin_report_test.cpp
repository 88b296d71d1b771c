#include "monitor/PluginReport.h"

#include <gtest/gtest.h>

using namespace PluginReport;

namespace {

ServiceResult Up(const QString& name, qint64 ms) {
    return {name, QStringLiteral("10.0.0.1:80"), {ProbeReason::Open, {}}, ms};
}
ServiceResult Down(const QString& name, ProbeOutcome outcome, qint64 ms = 0) {
    return {name, QStringLiteral("10.0.0.2:25"), std::move(outcome), ms};
}

// Monitoring systems act on the exit status alone; the word in the status line must agree with it.
TEST(PluginReport, ExitStatusAndStatusWordFollowTheLight) {
    const QList<ServiceResult> services = {Up("a", 1), Down("b", {ProbeReason::Refused, {}})};
    const struct {
        Light light;
        ExitStatus status;
        const char* prefix;
    } cases[] = {{LightGreen, Ok, "VANTREL OK - "},
                 {LightYellow, Warning, "VANTREL WARNING - "},
                 {LightRed, Critical, "VANTREL CRITICAL - "},
                 {LightNone, Unknown, "VANTREL UNKNOWN - "}};
    for (const auto& c : cases) {
        EXPECT_EQ(StatusOf(c.light), c.status) << c.prefix;
        EXPECT_TRUE(StatusLine(c.light, services).startsWith(QLatin1StringView(c.prefix))) << c.prefix;
    }
    EXPECT_EQ(StatusLine(LightNone, {}), QStringLiteral("VANTREL UNKNOWN - no services are defined"));
}

TEST(PluginReport, FullReportOfUpAndDownServices) {
    const QList<ServiceResult> services = {
        Up("mail", 3), Up("web server", 0), Down("db", {ProbeReason::TimedOut, {}}, 2000),
        Down("nas", {ProbeReason::Other, QStringLiteral("permission denied")}, 1),
        Down("odd", {ProbeReason::NoPort, {}})};
    EXPECT_EQ(
        Report(LightRed, services),
        "VANTREL CRITICAL - 2 of 5 servers (40%) are up | up=2;;;0;5 'mail'=3ms;;;0 'web server'=0ms;;;0 "
        "'db'=U;;;0 'nas'=U;;;0 'odd'=U;;;0\n"
        "mail: 10.0.0.1:80 up, 3 ms\n"
        "web server: 10.0.0.1:80 up, 0 ms\n"
        "db: 10.0.0.2:25 down, 2000 ms, timed out\n"
        "nas: 10.0.0.2:25 down, 1 ms, permission denied\n"
        "odd: 10.0.0.2:25 down, 0 ms, no port to connect to\n");
}

// Names are whatever a person stored: none of them may break a line, start performance data or end
// a performance label early.
TEST(PluginReport, StoredNamesCannotBreakTheFormat) {
    const struct {
        const char* name;
        const char* label;
        const char* line;
    } cases[] = {
        {"it's", "'it''s'=1ms", "it's: "},
        {"a=b", "'a_b'=1ms", "a=b: "},
        {"a|b", "'a\u00a6b'=1ms", "a\u00a6b: "},
        {"two\nlines\r\t", "'two lines  '=1ms", "two lines  : "},
    };
    for (const auto& c : cases) {
        ServiceResult service = Up(QString::fromUtf8(c.name), 1);
        service.value = QStringLiteral("10.0.0.1:80|x\n");
        const QString status = StatusLine(LightGreen, {service});
        EXPECT_EQ(status.count(QLatin1Char('|')), 1) << c.name;
        EXPECT_TRUE(
            status.endsWith(QStringLiteral(" ") + QString::fromUtf8(c.label) + QStringLiteral(";;;0")))
            << status.toStdString();
        EXPECT_EQ(ServiceLine(service),
                  QString::fromUtf8(c.line) + QStringLiteral("10.0.0.1:80\u00a6x  up, 1 ms"));
    }
    EXPECT_EQ(UnknownLine(QStringLiteral("/home/a|b\ncannot be read")),
              QStringLiteral("VANTREL UNKNOWN - /home/a\u00a6b cannot be read"));
}

} // namespace
