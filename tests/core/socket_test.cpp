#include "core/SocketControl.h"
#include "tests/support/GatedResolver.h"
#include "tests/support/Loopback.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

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

// Dotted names are read in decimal, never octal.
TEST(Socket, LookupGivesTheDottedAddressOrNothing) {
    SocketControl socket;
    for (const auto& [name, address] : {std::pair{"localhost", "127.0.0.1"},
                                        {" localhost ", "127.0.0.1"},
                                        {"no-such-host.invalid", ""},
                                        {"", ""},
                                        {"127.000.000.010", "127.0.0.10"}}) {
        EXPECT_EQ(Resolve(socket, name), address) << name;
        EXPECT_EQ(socket.PeerName(), name);
    }
}

TEST(Socket, ConnectsOnlyToTheAddressTheTextDenotes) {
    OpenListener listener;
    SocketControl socket;
    for (const char* address : {"127.0.0.1", " 127. 0 .0.1 ", "127.000.000.001"})
        EXPECT_TRUE(Connect(socket, address, listener.port())) << address;
    for (const char* address :
         {"127.0.0", "127.0.0.1.1", "127..0.1", "127.0.0.257", "127.0.0.-1", "0x7f.0.0.1", "", "localhost"})
        EXPECT_FALSE(Connect(socket, address, listener.port())) << address;
}

// While a connect waits, events keep arriving (the window repaints), but a nested call on the same
// control fails at once instead of sharing the socket. A time-out of zero means the default, neither
// no wait nor a wait for ever, so here only Abort() ends the wait.
TEST(Socket, WaitKeepsEventsFlowingAndRefusesNestedCalls) {
    OpenListener listener;
    SilentPeer peer;
    SocketControl socket;
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
    ticker.start(10);
    bool busyInside = false, nestedConnected = true;
    QTimer::singleShot(50, &socket, [&] {
        busyInside = socket.IsBusy();
        socket.OpenConnection();
        nestedConnected = socket.IsConnected();
        Resolve(socket, "localhost");
    });
    QTimer::singleShot(600, &socket, [&] { socket.Abort(); });
    QElapsedTimer elapsed;
    elapsed.start();
    EXPECT_FALSE(Connect(socket, "127.0.0.1", peer.port(), 0));
    EXPECT_GE(elapsed.elapsed(), 600);
    EXPECT_LT(elapsed.elapsed(), 5000);
    EXPECT_GE(ticks, 15); // 60 are due; even a badly loaded machine delivers a fraction of them
    EXPECT_TRUE(busyInside);
    EXPECT_FALSE(nestedConnected);
    EXPECT_TRUE(socket.PeerAddress().isEmpty()); // the nested lookup failed rather than ran
    EXPECT_TRUE(Connect(socket, "127.0.0.1", listener.port()));
}

TEST(Socket, DestroyingTheControlDuringAWaitEndsItCleanly) {
    SilentPeer peer;
    const int before = OpenDescriptorCount();
    auto* socket = new SocketControl;
    QTimer::singleShot(100, [&] { delete socket; });
    QElapsedTimer elapsed;
    elapsed.start();
    socket->setPeerAddress("127.0.0.1");
    socket->setPeerPort(static_cast<qint16>(peer.port()));
    socket->setConnectTimeoutMs(10000);
    socket->OpenConnection(); // must not touch the destroyed control once the wait ends
    EXPECT_LT(elapsed.elapsed(), 5000);
    EXPECT_EQ(OpenDescriptorCount(), before);
}

// The forms the program uses: each answer reaches only the caller that asked, once, and never after
// an abort; a call started while one waits fails at once without disturbing it.
TEST(Socket, BeginFormsAnswerTheirOwnCallerOnceAndNeverAfterAbort) {
    SilentPeer peer;
    GatedResolver slow;
    SocketControl socket;
    int connectAnswers = 0, lookupAnswers = 0, refusedAnswers = 0;
    auto idle = [&] { return !socket.IsBusy(); };

    socket.setPeerAddress("127.0.0.1");
    socket.setPeerPort(static_cast<qint16>(peer.port()));
    socket.setConnectTimeoutMs(300);
    socket.BeginConnect([&] { ++connectAnswers; });
    EXPECT_EQ(connectAnswers, 0) << "a connect to a silent peer answers only after its time-out";
    EXPECT_TRUE(QTest::qWaitFor(idle, 5000));
    EXPECT_EQ(connectAnswers, 1);
    EXPECT_FALSE(socket.IsConnected());

    socket.BeginLookup("slow.example", [&] { ++lookupAnswers; });
    socket.BeginConnect([&] { ++refusedAnswers; });
    EXPECT_EQ(refusedAnswers, 1);
    EXPECT_TRUE(socket.IsBusy()) << "the refused call left the waiting lookup alone";
    socket.Abort();
    EXPECT_FALSE(socket.IsBusy());
    EXPECT_EQ(socket.PeerAddress(), "");

    // Both lookups answer once the gate opens; only the one still asked for is heard.
    socket.BeginLookup("slow.example", [&] { ++lookupAnswers; });
    slow.Open("192.0.2.7");
    EXPECT_TRUE(QTest::qWaitFor(idle, 5000));
    EXPECT_EQ(lookupAnswers, 1);
    EXPECT_EQ(socket.PeerAddress(), "192.0.2.7");
}

} // namespace
