#include "monitor/AlertTexts.h"
#include "monitor/ServiceHistory.h"
#include "tests/monitor/CycleFakes.h"

#include <QTest>
#include <optional>
#include <vector>

namespace {

const QDateTime Start(QDate(2026, 12, 7), QTime(9, 0, 5));

QDateTime EndOfCycle(int cycle) {
    return Start.addSecs(60 * cycle);
}

// One cycle's results as "host=value+" (up) or "host=value-" (down), what it should report, and for
// each service the cycle since which it is in its state.
struct Cycle {
    QStringList results;
    QStringList wentDown, cameUp;
    std::vector<int> sinceCycle;
};
struct HistoryCase {
    const char* name;
    std::vector<Cycle> cycles;
};

class History : public ::testing::TestWithParam<HistoryCase> {};

TEST_P(History, TellsWhatChangedAndSinceWhen) {
    ServiceHistory history;
    int number = 0;
    for (const Cycle& cycle : GetParam().cycles) {
        QList<QPair<QString, QString>> services;
        QList<bool> up;
        for (const QString& result : cycle.results) {
            const QStringList parts = result.chopped(1).split('=');
            services.append({parts.at(0), parts.at(1)});
            up << result.endsWith('+');
        }
        const ServiceTransitions changes = history.Record(services, up, EndOfCycle(number));
        const auto names = [&services](const QList<int>& indices) {
            QStringList list;
            for (const int i : indices)
                list << services.at(i).first;
            return list;
        };
        EXPECT_EQ(names(changes.wentDown), cycle.wentDown) << "cycle " << number;
        EXPECT_EQ(names(changes.cameUp), cycle.cameUp) << "cycle " << number;
        for (qsizetype i = 0; i < services.size(); ++i)
            EXPECT_EQ(history.Since(services.at(i).first, services.at(i).second),
                      EndOfCycle(cycle.sinceCycle.at(i)))
                << "cycle " << number << " service " << i;
        ++number;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, History,
    ::testing::Values(
        HistoryCase{"DownInTheFirstCycleIsNews", {{{"a=v+", "b=v-"}, {"b"}, {}, {0, 0}}}},
        HistoryCase{"DownAndBackUp",
                    {{{"a=v+"}, {}, {}, {0}},
                     {{"a=v-"}, {"a"}, {}, {1}},
                     {{"a=v-"}, {}, {}, {1}},
                     {{"a=v+"}, {}, {"a"}, {3}}}},
        HistoryCase{"UnchangedKeepsItsTime",
                    {{{"a=v+", "b=v-"}, {"b"}, {}, {0, 0}}, {{"a=v+", "b=v-"}, {}, {}, {0, 0}}}},
        // A new value is a new service: down at first sight is news, up at first sight is not.
        HistoryCase{"EditedServiceStartsAfresh",
                    {{{"a=v1+", "b=v1-"}, {"b"}, {}, {0, 0}}, {{"a=v2-", "b=v2+"}, {"a"}, {}, {1, 1}}}},
        HistoryCase{"AddedLaterAndDownIsNews",
                    {{{"a=v+"}, {}, {}, {0}}, {{"a=v+", "b=v-"}, {"b"}, {}, {0, 1}}}},
        HistoryCase{"RemovedThenAddedAgainStartsAfresh",
                    {{{"a=v+", "b=v+"}, {}, {}, {0, 0}},
                     {{"b=v+"}, {}, {}, {0}},
                     {{"a=v+", "b=v+"}, {}, {}, {2, 0}}}}),
    [](const auto& info) { return std::string(info.param.name); });

// The results of a cycle over `hosts`, with the outcomes given and the history of one cycle.
CheckState StateAfter(const QStringList& hosts, const QList<ProbeOutcome>& outcomes) {
    CheckState state;
    state.ServiceList = ServicePairs();
    for (const QString& host : hosts) {
        state.ServiceList->append({host, "127.0.0.1:" + QString::number(state.ServiceList->size() + 1)});
        state.ServiceUp << outcomes.value(state.ServiceUp.size()).up();
        state.ResponseTime << 3.0f;
    }
    state.Outcome = outcomes;
    state.ServiceCount = static_cast<qint16>(hosts.size());
    state.UpCount = static_cast<qint16>(state.ServiceUp.count(true));
    return state;
}

const ProbeOutcome Open{ProbeReason::Open, {}};
const ProbeOutcome Refused{ProbeReason::Refused, {}};
const ProbeOutcome TimedOut{ProbeReason::TimedOut, {}};

TEST(AlertTexts, DownNamesEachNewlyDownServiceWithItsReason) {
    const CheckState state = StateAfter({"mail", "web\nor\u202Eevil", "db", "dns", "ftp"},
                                        {Refused, TimedOut, Open, Refused, Open});
    // "dns" was already down: it counts in the summary, it is not news. A name's own line break or
    // direction override is shown, never obeyed.
    const auto alert = AlertTexts::AlertFor(state, {{0, 1}, {}});
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->summary, "3 of 5 servers down");
    EXPECT_EQ(alert->body, "mail: connection refused\nweb\\u000Aor\\u202Eevil: timed out");
    EXPECT_TRUE(alert->critical);
}

TEST(AlertTexts, TenAreNamedAndTheRestCounted) {
    QStringList hosts;
    for (int i = 1; i <= 13; ++i)
        hosts << QStringLiteral("s%1").arg(i);
    const CheckState state = StateAfter(hosts, QList<ProbeOutcome>(13, Refused));
    const auto alert = AlertTexts::AlertFor(state, {{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, {}});
    ASSERT_TRUE(alert);
    const QStringList lines = alert->body.split('\n');
    ASSERT_EQ(lines.size(), 11);
    EXPECT_EQ(lines.at(9), "s10: connection refused");
    EXPECT_EQ(lines.at(10), "and 3 more");
}

TEST(AlertTexts, BackUpAloneOrAfterTheServicesThatWentDown) {
    const CheckState state = StateAfter({"mail", "web", "db"}, {Open, Open, Refused});
    struct Case {
        ServiceTransitions changes;
        QString summary, body;
        bool critical;
    };
    const Case cases[] = {
        {{{}, {0}}, "mail is up again", "", false},
        {{{}, {0, 1}}, "2 servers are up again", "mail is up again\nweb is up again", false},
        {{{2}, {0}}, "1 of 3 servers down", "db: connection refused\nmail is up again", true},
    };
    for (const Case& c : cases) {
        const auto alert = AlertTexts::AlertFor(state, c.changes);
        ASSERT_TRUE(alert);
        EXPECT_EQ(alert->summary, c.summary);
        EXPECT_EQ(alert->body, c.body);
        EXPECT_EQ(alert->critical, c.critical);
    }
    EXPECT_FALSE(AlertTexts::AlertFor(state, {}));
}

TEST(AlertTexts, StateTextSaysSinceWhenAndWhy) {
    const QDateTime now(QDate(2026, 12, 7), QTime(14, 30));
    const ProbeOutcome other{ProbeReason::Other, "permission denied"};
    struct Case {
        ProbeOutcome outcome;
        QDateTime since;
        QString text;
    };
    const Case cases[] = {
        {Open, QDateTime(now.date(), QTime(9, 0, 5)), "web \u2014 up since 09:00:05, 3ms"},
        {Refused, QDateTime(now.date(), QTime(14, 3, 12)),
         "web \u2014 down since 14:03:12 (connection refused)"},
        {other, QDateTime(QDate(2026, 12, 6), QTime(23, 59)),
         "web \u2014 down since 2026-12-06 23:59:00 (permission denied)"},
        {TimedOut, QDateTime(), "web \u2014 down (timed out)"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AlertTexts::ServiceStateText("web", c.outcome, 3.0f, c.since, now), c.text);
    EXPECT_EQ(AlertTexts::ServiceStateText(CheckState(), 0, now), "");
    CheckState running = StateAfter({"web"}, {Open});
    EXPECT_NE(AlertTexts::ServiceStateText(running, 0, now), "");
    running.blnCheckInProgress = true;
    EXPECT_EQ(AlertTexts::ServiceStateText(running, 0, now), "");
}

// Real cycles: a service that stops listening between two checks is reported down with its reason,
// and back up when it listens again; the row text follows.
TEST_F(CycleTest, ServiceTakenDownAndBackIsReportedOnceEach) {
    std::optional<OpenListener> mail(std::in_place);
    const int port = mail->port();
    AddService("mail", port);
    AddService("web", listener.port());
    QList<DesktopAlert> alerts;
    QObject::connect(&cycle, &CheckCycle::alertRaised,
                     [&alerts](const DesktopAlert& alert) { alerts << alert; });
    // Whether the probes answer at once or later, each check has ended before the next step.
    const auto check = [this] {
        cycle.CheckServices(true);
        ASSERT_TRUE(QTest::qWaitFor([this] { return !state.blnCheckInProgress; }, 5000));
    };

    check();
    EXPECT_TRUE(alerts.isEmpty());
    const QDateTime firstEnd = clock.now;

    mail.reset();
    clock.now = clock.now.addSecs(180);
    check();
    ASSERT_EQ(alerts.size(), 1);
    EXPECT_EQ(alerts.at(0).summary, "1 of 2 servers down");
    EXPECT_EQ(alerts.at(0).body, "mail: connection refused");
    EXPECT_EQ(state.Outcome.at(0).reason, ProbeReason::Refused);
    EXPECT_EQ(AlertTexts::ServiceStateText(state, 0, clock.now),
              "mail \u2014 down since 12:03:00 (connection refused)");
    EXPECT_TRUE(
        AlertTexts::ServiceStateText(state, 1, clock.now).startsWith("web \u2014 up since 12:00:00, "));

    mail.emplace(port);
    clock.now = clock.now.addSecs(180);
    check();
    check();
    ASSERT_EQ(alerts.size(), 2);
    EXPECT_EQ(alerts.at(1).summary, "mail is up again");
    EXPECT_FALSE(alerts.at(1).critical);
    EXPECT_EQ(state.History.Since("web", QStringLiteral("127.0.0.1:%1").arg(listener.port())), firstEnd);
}

} // namespace
