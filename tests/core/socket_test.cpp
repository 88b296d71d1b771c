#include "core/SocketControl.h"
#include "tests/support/Loopback.h"

#include <QTimer>
#include <chrono>
#include <gtest/gtest.h>

namespace {

using Clock = std::chrono::steady_clock;

long long MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

QString Resolve(SocketControl& socket, const QString& name) {
    socket.setResolveOnAssign(true);
    socket.setPeerName(name);
    socket.setResolveOnAssign(false);
    return socket.PeerAddress();
}

bool Connect(SocketControl& socket, const QString& address, int port, qint16 timeoutMs = 2000) {
    socket.setPeerAddress(address);
    socket.setPeerPort(static_cast<qint16>(port));
    socket.setConnectTimeoutMs(timeoutMs);
    socket.OpenConnection();
    const bool connected = socket.IsConnected();
    socket.CloseConnection();
    return connected;
}

struct LookupCase {
    const char* name;
    const char* expected;
};

class Lookup : public ::testing::TestWithParam<LookupCase> {};

TEST_P(Lookup, GivesTheDottedAddressOrNothing) {
    SocketControl socket;
    EXPECT_EQ(Resolve(socket, QString::fromUtf8(GetParam().name)), QString::fromUtf8(GetParam().expected));
    EXPECT_EQ(socket.PeerName(), QString::fromUtf8(GetParam().name));
    EXPECT_FALSE(socket.IsBusy());
}

INSTANTIATE_TEST_SUITE_P(
    Names, Lookup,
    ::testing::Values(LookupCase{"localhost", "127.0.0.1"}, LookupCase{" localhost ", "127.0.0.1"},
                      LookupCase{"no-such-host.invalid", ""}, LookupCase{"", ""}, LookupCase{"   ", ""},
                      // dotted names are read in decimal, never octal
                      LookupCase{"127.000.000.010", "127.0.0.10"}, LookupCase{"10. 0 .0.1", "10.0.0.1"}));

TEST(Lookup, WithoutResolveOnAssignChangesNothing) {
    SocketControl socket;
    socket.setPeerAddress(QStringLiteral("10.0.0.1"));
    socket.setResolveOnAssign(false);
    socket.setPeerName(QStringLiteral("localhost"));
    EXPECT_EQ(socket.PeerAddress(), QStringLiteral("10.0.0.1"));
    EXPECT_EQ(socket.PeerName(), QStringLiteral("localhost"));
}

TEST(Lookup, IsBusyOnlyWhileItWaits) {
    SocketControl socket;
    bool busyInside = false;
    // A zero timer is delivered by the lookup's own event loop, before the resolver's answer.
    QTimer::singleShot(0, &socket, [&] { busyInside = socket.IsBusy(); });
    EXPECT_EQ(Resolve(socket, QStringLiteral("localhost")), QStringLiteral("127.0.0.1"));
    EXPECT_TRUE(busyInside);
    EXPECT_FALSE(socket.IsBusy());
}

TEST(Lookup, AbortedLookupFindsNothing) {
    SocketControl socket;
    socket.setPeerAddress(QStringLiteral("10.0.0.1"));
    QTimer::singleShot(0, &socket, [&] { socket.Abort(); });
    EXPECT_EQ(Resolve(socket, QStringLiteral("localhost")), QString());
    EXPECT_FALSE(socket.IsBusy());
    EXPECT_EQ(Resolve(socket, QStringLiteral("localhost")), QStringLiteral("127.0.0.1"));
}

struct AddressCase {
    const char* address;
    bool connects;
};

class AddressForms : public ::testing::TestWithParam<AddressCase> {};

TEST_P(AddressForms, ConnectOnlyToWhatTheTextDenotes) {
    OpenListener listener;
    SocketControl socket;
    EXPECT_EQ(Connect(socket, QString::fromUtf8(GetParam().address), listener.port()), GetParam().connects);
}

INSTANTIATE_TEST_SUITE_P(Texts, AddressForms,
                         ::testing::Values(AddressCase{"127.0.0.1", true}, AddressCase{" 127. 0 .0.1", true},
                                           AddressCase{"127.0 . 0. 1 ", true},
                                           AddressCase{"127.000.000.001", true},
                                           AddressCase{"127.0.0", false}, AddressCase{"127.0.0.1.1", false},
                                           AddressCase{"127..0.1", false}, AddressCase{"127.0.0.257", false},
                                           AddressCase{"127.0.0.-1", false}, AddressCase{"0x7f.0.0.1", false},
                                           AddressCase{"a.b.c.d", false}, AddressCase{"", false},
                                           AddressCase{"localhost", false}));

class NonPositiveTimeout : public ::testing::TestWithParam<int> {};

// A time-out of zero or less must neither skip the wait nor wait forever: it means the default.
TEST_P(NonPositiveTimeout, WaitsUntilAborted) {
    SilentPeer peer;
    SocketControl socket;
    QTimer::singleShot(400, &socket, [&] { socket.Abort(); });
    const auto start = Clock::now();
    EXPECT_FALSE(Connect(socket, QStringLiteral("127.0.0.1"), peer.port(), static_cast<qint16>(GetParam())));
    const auto elapsed = MillisecondsSince(start);
    EXPECT_GE(elapsed, 400);
    EXPECT_LT(elapsed, 5000);
}

INSTANTIATE_TEST_SUITE_P(Values, NonPositiveTimeout, ::testing::Values(0, -1, -32768));

TEST(Connect, OpenConnectionLeavesAConnectionUntilClosed) {
    OpenListener listener;
    SocketControl socket;
    const int before = OpenDescriptorCount();
    socket.setPeerAddress(QStringLiteral("127.0.0.1"));
    socket.setPeerPort(static_cast<qint16>(listener.port()));
    socket.OpenConnection();
    EXPECT_TRUE(socket.IsConnected());
    EXPECT_EQ(OpenDescriptorCount(), before + 1);
    socket.CloseConnection();
    EXPECT_FALSE(socket.IsConnected());
    EXPECT_EQ(OpenDescriptorCount(), before);
    EXPECT_TRUE(listener.waitForAccepted(1));
}

TEST(Connect, WindowStaysResponsiveWhileWaiting) {
    SilentPeer peer;
    SocketControl socket;
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(10);
    EXPECT_FALSE(Connect(socket, QStringLiteral("127.0.0.1"), peer.port(), 600));
    // 60 ticks are due; even a badly loaded machine delivers a fraction of them.
    EXPECT_GE(ticks, 15);
}

TEST(Connect, NestedCallFailsAtOnceAndTheOuterOneGoesOn) {
    OpenListener listener;
    SilentPeer peer;
    SocketControl socket;
    bool busyInside = false;
    bool nestedConnected = true;
    QTimer::singleShot(50, &socket, [&] {
        busyInside = socket.IsBusy();
        socket.OpenConnection();
        nestedConnected = socket.IsConnected();
        socket.setResolveOnAssign(true);
        socket.setPeerName(QStringLiteral("localhost"));
        socket.setResolveOnAssign(false);
    });
    const auto start = Clock::now();
    EXPECT_FALSE(Connect(socket, QStringLiteral("127.0.0.1"), peer.port(), 400));
    EXPECT_GE(MillisecondsSince(start), 400);
    EXPECT_TRUE(busyInside);
    EXPECT_FALSE(nestedConnected);
    EXPECT_TRUE(socket.PeerAddress().isEmpty()); // the nested lookup failed rather than ran
    EXPECT_FALSE(socket.IsBusy());
    EXPECT_TRUE(Connect(socket, QStringLiteral("127.0.0.1"), listener.port()));
}

TEST(Connect, DestroyingTheControlDuringAWaitEndsItCleanly) {
    SilentPeer peer;
    const int before = OpenDescriptorCount();
    auto* socket = new SocketControl;
    QTimer::singleShot(100, [&] { delete socket; });
    const auto start = Clock::now();
    socket->setPeerAddress(QStringLiteral("127.0.0.1"));
    socket->setPeerPort(static_cast<qint16>(peer.port()));
    socket->setConnectTimeoutMs(10000);
    socket->OpenConnection(); // must not touch the destroyed control once the wait ends
    EXPECT_LT(MillisecondsSince(start), 5000);
    EXPECT_EQ(OpenDescriptorCount(), before);
}

} // namespace
