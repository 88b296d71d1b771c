#include "monitor/ProbeService.h"
#include "tests/support/Loopback.h"

#include <QTimer>
#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <random>
#include <stdexcept>

namespace {

using Clock = std::chrono::steady_clock;

long long MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

bool Probe(SocketControl& socket, const QString& service, qint16 timeoutMs = 2000) {
    const clsConverter converter;
    return ProbeService(socket, converter, timeoutMs, service);
}

// A listener on a port above 32767, which reaches the control in its signed form.
std::unique_ptr<OpenListener> HighPortListener() {
    std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<int> ports(40000, 60000);
    for (int attempt = 0; attempt < 200; ++attempt) {
        try {
            return std::make_unique<OpenListener>(ports(random));
        } catch (const std::runtime_error&) {
        }
    }
    throw std::runtime_error("no free high port");
}

// Every way the program hands a service to the probe, with %1 standing for the listener's port.
class ServiceForms : public ::testing::TestWithParam<const char*> {};

TEST_P(ServiceForms, ReachTheListener) {
    for (const bool highPort : {false, true}) {
        const std::unique_ptr<OpenListener> listener =
            highPort ? HighPortListener() : std::make_unique<OpenListener>();
        SocketControl socket;
        EXPECT_TRUE(Probe(socket, QString::fromUtf8(GetParam()).arg(listener->port())))
            << "port " << listener->port();
        EXPECT_FALSE(socket.IsConnected());
        EXPECT_TRUE(listener->waitForAccepted(1));
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, ServiceForms,
                         ::testing::Values("127.0.0.1:%1",                       // stored value
                                           "web server 127.0.0.1:%1",            // full entry
                                           "web.example 127.0.0.1:%1",           // dots in the host name
                                           "a:b 127.0.0.1:%1",                   // colon in the host name
                                           "127.0 .0 . 1:%1",                    // blanks around parts
                                           "host 127.000.000.001:%1",            // zero padding is decimal
                                           "127.0.0.1:%1.4", "127.0.0.1: %1 ")); // rounding, blanks

TEST(Probe, RefusedPortIsDownAtOnce) {
    SocketControl socket;
    EXPECT_FALSE(Probe(socket, QStringLiteral("127.0.0.1:%1").arg(ClosedLoopbackPort()), 10000));
    EXPECT_FALSE(socket.IsBusy());
}

TEST(Probe, SilentPeerIsDownAfterTheTimeOut) {
    SilentPeer peer;
    SocketControl socket;
    const auto start = Clock::now();
    EXPECT_FALSE(Probe(socket, QStringLiteral("host 127.0.0.1:%1").arg(peer.port()), 300));
    EXPECT_GE(MillisecondsSince(start), 300);
}

TEST(Probe, AbortEndsTheWaitPromptly) {
    SilentPeer peer;
    SocketControl socket;
    QTimer::singleShot(100, &socket, [&] { socket.Abort(); });
    const auto start = Clock::now();
    EXPECT_FALSE(Probe(socket, QStringLiteral("127.0.0.1:%1").arg(peer.port()), 20000));
    EXPECT_LT(MillisecondsSince(start), 5000);
    EXPECT_FALSE(socket.IsBusy());
}

TEST(Probe, FullEntryAndStoredValueProbeTheSameService) {
    OpenListener listener;
    SocketControl socket;
    const QString stored = QStringLiteral("127.0.0.1:%1").arg(listener.port());
    EXPECT_TRUE(Probe(socket, stored));
    EXPECT_TRUE(Probe(socket, QStringLiteral("my host ") + stored));
    EXPECT_TRUE(listener.waitForAccepted(2));
}

// Port texts that name no port from 1 to 65535 are down without any connection attempt, even where
// wrapping the number would land on the listener's port.
TEST(Probe, PortTextsThatNameNoPortNeverConnect) {
    OpenListener listener;
    const int p = listener.port();
    SocketControl socket;
    const QStringList texts = {QStringLiteral("0"),          QStringLiteral("0.4"),
                               QStringLiteral("65535.6"),    QStringLiteral("abc"),
                               QStringLiteral(""),           QStringLiteral("-1"),
                               QString::number(p + 65536),   QString::number(p - 65536),
                               QStringLiteral("%1x").arg(p), QStringLiteral("1e3")};
    for (const QString& port : texts)
        EXPECT_FALSE(Probe(socket, QStringLiteral("127.0.0.1:") + port)) << port.toStdString();
    // Connections are accepted in order, so any stray one would be counted before this marker's.
    EXPECT_TRUE(Probe(socket, QStringLiteral("127.0.0.1:%1").arg(p)));
    EXPECT_TRUE(listener.waitForAccepted(1));
    EXPECT_FALSE(listener.waitForAccepted(2, 300));
}

TEST(Probe, ManyProbesLeaveNoDescriptorOpen) {
    OpenListener listener;
    const int closed = ClosedLoopbackPort();
    SocketControl socket;
    const int before = OpenDescriptorCount();
    int up = 0;
    for (int i = 0; i < 300; ++i) {
        const int port = i % 3 == 0 ? closed : listener.port();
        up += Probe(socket, QStringLiteral("host 127.0.0.1:%1").arg(port)) ? 1 : 0;
    }
    EXPECT_EQ(up, 200);
    EXPECT_EQ(OpenDescriptorCount(), before);
}

} // namespace
