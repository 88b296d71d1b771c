#include "monitor/ProbeService.h"
#include "tests/support/Loopback.h"

#include <QElapsedTimer>
#include <QTest>
#include <cerrno>
#include <gtest/gtest.h>
#include <memory>
#include <random>
#include <stdexcept>

namespace {

bool Probe(SocketControl& socket, const QString& service, qint16 timeoutMs = 2000) {
    return ProbeService(socket, clsConverter(), timeoutMs, service);
}

QString At(int port) {
    return QStringLiteral("127.0.0.1:%1").arg(port);
}

// A listener on a port above 32767, which reaches the control in its signed form.
std::unique_ptr<OpenListener> HighPortListener() {
    std::mt19937 random(std::random_device{}());
    for (int attempt = 0; attempt < 200; ++attempt) {
        try {
            return std::make_unique<OpenListener>(std::uniform_int_distribution(40000, 60000)(random));
        } catch (const std::runtime_error&) {
        }
    }
    throw std::runtime_error("no free high port");
}

// Every way the program hands a service to the probe reaches the listener, on a low and a high port:
// the stored value and the full entry of one service, odd host names, blanks, a port to be rounded.
TEST(Probe, EveryFormOfAServiceReachesTheListener) {
    const QStringList forms = {"127.0.0.1:%1",     "web server 127.0.0.1:%1", "web.example 127.0.0.1:%1",
                               "a:b 127.0.0.1:%1", "127.0 .0 . 1:%1",         "127.0.0.1:%1.4",
                               "127.0.0.1: %1 "};
    const std::unique_ptr<OpenListener> listeners[] = {std::make_unique<OpenListener>(), HighPortListener()};
    SocketControl socket;
    for (const auto& listener : listeners) {
        for (const QString& form : forms)
            EXPECT_TRUE(Probe(socket, form.arg(listener->port())))
                << form.arg(listener->port()).toStdString();
        EXPECT_TRUE(listener->waitForAccepted(static_cast<int>(forms.size())));
    }
    EXPECT_FALSE(socket.IsConnected());
}

TEST(Probe, RefusedIsDownAtOnceAndASilentPeerAfterTheTimeOut) {
    SilentPeer peer;
    SocketControl socket;
    QElapsedTimer elapsed;
    elapsed.start();
    EXPECT_FALSE(Probe(socket, At(ClosedLoopbackPort()), 10000));
    EXPECT_LT(elapsed.restart(), 5000);
    EXPECT_FALSE(Probe(socket, "host " + At(peer.port()), 300));
    EXPECT_GE(elapsed.elapsed(), 300);
    EXPECT_FALSE(socket.IsBusy());
}

// Port texts that name no port from 1 to 65535 are down without any connection attempt, even where
// wrapping the number would land on the listener's port.
TEST(Probe, PortTextsThatNameNoPortNeverConnect) {
    OpenListener listener;
    const int p = listener.port();
    SocketControl socket;
    for (const QString& port :
         {QString("0"), QString("0.4"), QString("65535.6"), QString("abc"), QString(),
          QString::number(p + 65536), QString::number(p - 65536), QString("%1x").arg(p)})
        EXPECT_FALSE(Probe(socket, "127.0.0.1:" + port)) << port.toStdString();
    // Connections are accepted in order, so any stray one would be counted before this marker's.
    EXPECT_TRUE(Probe(socket, At(p)));
    EXPECT_TRUE(listener.waitForAccepted(1));
    EXPECT_FALSE(listener.waitForAccepted(2, 300));
}

TEST(Probe, ManyProbesLeaveNoDescriptorOpen) {
    OpenListener listener;
    const int closed = ClosedLoopbackPort();
    SocketControl socket;
    const int before = OpenDescriptorCount();
    int up = 0;
    for (int i = 0; i < 300; ++i)
        up += Probe(socket, "host " + At(i % 3 == 0 ? closed : listener.port())) ? 1 : 0;
    EXPECT_EQ(up, 200);
    EXPECT_EQ(OpenDescriptorCount(), before);
}

// The outcome the program records, taken from real peers: what the socket saw and what the user reads.
TEST(Probe, OutcomeSaysWhyFromRealPeers) {
    OpenListener listener;
    SilentPeer silent;
    struct Case {
        QString service;
        ProbeReason reason;
        int socketError; // LastConnectError() after the attempt; -1 when none is made
        QString text;
    };
    const Case cases[] = {
        {At(listener.port()), ProbeReason::Open, 0, ""},
        {At(ClosedLoopbackPort()), ProbeReason::Refused, ECONNREFUSED, "connection refused"},
        {At(silent.port()), ProbeReason::TimedOut, ETIMEDOUT, "timed out"},
        {"127.0.0.1:0.4", ProbeReason::NoPort, -1, "no port to connect to"},
    };
    SocketControl socket;
    for (const Case& c : cases) {
        std::optional<ProbeOutcome> outcome;
        BeginProbeService(socket, clsConverter(), 300, c.service,
                          [&outcome](const ProbeOutcome& answer) { outcome = answer; });
        ASSERT_TRUE(QTest::qWaitFor([&outcome] { return outcome.has_value(); }, 5000))
            << c.service.toStdString();
        EXPECT_EQ(outcome->reason, c.reason) << c.service.toStdString();
        EXPECT_EQ(ReasonText(*outcome), c.text);
        if (c.socketError >= 0) {
            EXPECT_EQ(socket.LastConnectError(), c.socketError) << c.service.toStdString();
        }
    }
}

// Errors no loopback peer gives: the route errors read as unreachable, anything else in the system's words.
TEST(Probe, ErrorNumbersTheSystemGivesElsewhere) {
    EXPECT_EQ(ReasonText(ClassifyConnectError(EHOSTUNREACH)), "unreachable");
    EXPECT_EQ(ReasonText(ClassifyConnectError(ENETUNREACH)), "unreachable");
    const ProbeOutcome other = ClassifyConnectError(EACCES);
    EXPECT_EQ(other.reason, ProbeReason::Other);
    EXPECT_FALSE(ReasonText(other).isEmpty());
    EXPECT_FALSE(other.up());
}

} // namespace
