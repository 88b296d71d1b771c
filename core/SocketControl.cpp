#include "core/SocketControl.h"

#include "core/Numeric.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QPointer>
#include <QSocketNotifier>
#include <QStringList>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <netdb.h>
#include <netinet/in.h>
#include <optional>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace {

// A time-out of zero or less would otherwise mean "wait forever" to poll() and friends; a dead
// peer must never hold the window, so such a value falls back to the ordinary ten seconds.
constexpr int DefaultConnectTimeoutMs = 10000;
// A dead resolver must not hold the window either.
constexpr int LookupTimeoutMs = 10000;

// The address a dotted text denotes. Each part is read as a decimal number with the program's one
// numeric test, so blanks around a part are ignored and leading zeros never mean octal (inet_aton
// would read 010 as 8).
std::optional<in_addr_t> ParseDottedDecimal(const QString& text) {
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return std::nullopt;
    quint32 address = 0;
    for (const QString& part : parts) {
        const std::optional<double> value = ParseNumeric(part);
        // Parts never hold a decimal point (the text was split at every dot), so they are whole.
        if (!value || *value < 0 || *value > 255)
            return std::nullopt;
        address = (address << 8) | static_cast<quint32>(*value);
    }
    return htonl(address);
}

QString DottedText(in_addr address) {
    char buffer[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &address, buffer, sizeof buffer);
    return QString::fromLatin1(buffer);
}

int PendingSocketError(int fd) {
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
        return errno;
    return error;
}

bool PollReady(int fd, short events, int timeoutMs) {
    pollfd entry{fd, events, 0};
    int rc;
    do
        rc = ::poll(&entry, 1, timeoutMs);
    while (rc < 0 && errno == EINTR);
    return rc == 1 && entry.revents != 0;
}

// The system's resolver: the first IPv4 address of the name, or an empty text. Blanks around a
// name carry no meaning; names outside ASCII go in their ASCII-compatible form.
QString SystemResolve(const QString& name) {
    const QString trimmed = name.trimmed();
    bool ascii = true;
    for (QChar c : trimmed)
        ascii = ascii && c.unicode() < 0x80;
    const QByteArray host = ascii ? trimmed.toLatin1() : QUrl::toAce(trimmed);
    if (host.isEmpty() || host.contains('\0'))
        return {};
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    if (::getaddrinfo(host.constData(), nullptr, &hints, &list) != 0)
        return {};
    QString found;
    for (addrinfo* entry = list; entry && found.isEmpty(); entry = entry->ai_next)
        if (entry->ai_family == AF_INET && entry->ai_addr)
            found = DottedText(reinterpret_cast<const sockaddr_in*>(entry->ai_addr)->sin_addr);
    ::freeaddrinfo(list);
    return found;
}

std::mutex g_resolverMutex;
SocketControl::Resolver g_resolver; // empty: the system's

// One name lookup on a worker thread. The worker and the control share this; whichever lets go
// last closes the pipe, so a lookup abandoned at its time-out leaves no descriptor behind once the
// resolver returns.
struct LookupJob {
    int pipe[2] = {-1, -1};
    QString name;
    SocketControl::Resolver resolve;
    std::mutex mutex;
    QString result;

    ~LookupJob() {
        for (int fd : pipe)
            if (fd >= 0)
                ::close(fd);
    }

    void Run() {
        const QString found = resolve ? resolve(name) : SystemResolve(name);
        {
            std::lock_guard lock(mutex);
            result = found;
        }
        const char done = 1;
        [[maybe_unused]] const auto written = ::write(pipe[1], &done, 1);
    }
};

} // namespace

struct SocketControl::Private {
    bool resolveOnAssign = false;
    QString peerName;
    QString peerAddress;
    quint16 peerPort = 0;
    qint16 connectTimeoutMs = DefaultConnectTimeoutMs;
    int fd = -1; // an established connection, or -1
    int connectError = 0;

    // The wait under way, if any.
    bool busy = false;
    int waitFd = -1;
    bool waitForWriting = false;
    std::chrono::steady_clock::time_point deadline;
    std::function<void(bool)> settle;
    std::function<void()> done;
    QSocketNotifier* readNotifier = nullptr; // made when first needed, reused for every wait
    QSocketNotifier* writeNotifier = nullptr;
    QTimer* timer = nullptr;
    QEventLoop* loop = nullptr; // a blocking call's
};

SocketControl::SocketControl(QObject* parent) : QObject(parent), d(new Private) {}

SocketControl::~SocketControl() {
    // A blocking call still waiting returns once control goes back to its loop; it notices that the
    // control is gone and touches nothing.
    Abort();
    if (d->fd >= 0)
        ::close(d->fd);
    delete d;
}

void SocketControl::setResolver(Resolver resolver) {
    std::lock_guard lock(g_resolverMutex);
    g_resolver = std::move(resolver);
}

void SocketControl::setResolveOnAssign(bool value) {
    d->resolveOnAssign = value;
}
bool SocketControl::ResolveOnAssign() const {
    return d->resolveOnAssign;
}

void SocketControl::setPeerName(const QString& name) {
    if (!d->resolveOnAssign || d->busy) {
        // A lookup asked for from inside another call's wait fails at once: the two would share one state.
        d->peerName = name;
        if (d->resolveOnAssign)
            d->peerAddress.clear();
        return;
    }
    RunToEnd([this, name](std::function<void()> done) { BeginLookup(name, std::move(done)); });
}

void SocketControl::BeginLookup(const QString& name, std::function<void()> done) {
    d->peerName = name;
    d->peerAddress.clear();
    if (d->busy || name.trimmed().isEmpty())
        return done();
    if (const auto literal = ParseDottedDecimal(name.trimmed())) {
        d->peerAddress = DottedText(in_addr{*literal});
        return done();
    }
    auto job = std::make_shared<LookupJob>();
    job->name = name;
    {
        std::lock_guard lock(g_resolverMutex);
        job->resolve = g_resolver;
    }
    if (::pipe2(job->pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return done();
    try {
        std::thread([job] { job->Run(); }).detach();
    } catch (const std::system_error&) {
        return done(); // no thread to be had: the name counts as not found
    }
    Await(
        job->pipe[0], false, LookupTimeoutMs,
        [this, job](bool ready) {
            if (!ready)
                return; // a late answer after a time-out or an abort is dropped
            std::lock_guard lock(job->mutex);
            if (const auto address = ParseDottedDecimal(job->result))
                d->peerAddress = DottedText(in_addr{*address});
        },
        std::move(done));
}

QString SocketControl::PeerName() const {
    return d->peerName;
}
void SocketControl::setPeerAddress(const QString& address) {
    d->peerAddress = address;
}
QString SocketControl::PeerAddress() const {
    return d->peerAddress;
}
// The signed value carries the port modulo 65536: -1 is 65535, -32768 is 32768.
void SocketControl::setPeerPort(qint16 port) {
    d->peerPort = static_cast<quint16>(port);
}
void SocketControl::setConnectTimeoutMs(qint16 timeoutMs) {
    d->connectTimeoutMs = timeoutMs;
}

void SocketControl::OpenConnection() {
    if (d->busy)
        return; // called from inside another call's wait: fails at once
    RunToEnd([this](std::function<void()> done) { BeginConnect(std::move(done)); });
}

void SocketControl::BeginConnect(std::function<void()> done) {
    if (d->busy) {
        d->connectError = EBUSY;
        return done();
    }
    CloseConnection();
    const std::optional<in_addr_t> address = ParseDottedDecimal(d->peerAddress);
    if (!address || d->peerPort == 0) {
        d->connectError = EINVAL;
        return done();
    }

    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        d->connectError = errno;
        return done();
    }
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(d->peerPort);
    peer.sin_addr.s_addr = *address;
    bool established = ::connect(fd, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) == 0;
    int error = established ? 0 : errno;
    // EINTR leaves the connect going on in the background, exactly like EINPROGRESS.
    if (!established && (error == EINPROGRESS || error == EINTR)) {
        // A near peer has often answered already; then nothing needs to wait.
        if (!PollReady(fd, POLLOUT, 0)) {
            const int timeoutMs = d->connectTimeoutMs > 0 ? d->connectTimeoutMs : DefaultConnectTimeoutMs;
            Await(
                fd, true, timeoutMs,
                [this, fd](bool ready) {
                    // Not ready means the time-out (or an abort, whose answer nobody reads).
                    d->connectError = ready ? PendingSocketError(fd) : ETIMEDOUT;
                    if (d->connectError == 0)
                        d->fd = fd;
                    else
                        ::close(fd);
                },
                std::move(done));
            return;
        }
        error = PendingSocketError(fd);
        established = error == 0;
    }
    d->connectError = error;
    if (established)
        d->fd = fd;
    else
        ::close(fd);
    done();
}

bool SocketControl::IsConnected() const {
    return d->fd >= 0;
}

int SocketControl::LastConnectError() const {
    return d->connectError;
}

void SocketControl::CloseConnection() {
    if (d->fd >= 0)
        ::close(d->fd);
    d->fd = -1;
}

bool SocketControl::IsBusy() const {
    return d->busy;
}

void SocketControl::Abort() {
    if (d->busy)
        Settle(false, true);
}

void SocketControl::Await(int fd, bool forWriting, int timeoutMs, std::function<void(bool ready)> settle,
                          std::function<void()> done) {
    d->busy = true;
    d->waitFd = fd;
    d->waitForWriting = forWriting;
    d->deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    d->settle = std::move(settle);
    d->done = std::move(done);
    if (!QCoreApplication::instance())
        return; // no event loop to be told: only a blocking call can wait, and it polls

    // Ask the descriptor itself rather than trusting which signal came: readiness may coincide with
    // the time-out.
    auto settleNow = [this] { Settle(PollReady(d->waitFd, d->waitForWriting ? POLLOUT : POLLIN, 0), false); };
    QSocketNotifier*& notifier = forWriting ? d->writeNotifier : d->readNotifier;
    if (!notifier) {
        notifier = new QSocketNotifier(forWriting ? QSocketNotifier::Write : QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, settleNow);
    }
    if (!d->timer) {
        d->timer = new QTimer(this);
        d->timer->setSingleShot(true);
        d->timer->setTimerType(Qt::PreciseTimer);
        connect(d->timer, &QTimer::timeout, this, settleNow);
    }
    notifier->setSocket(fd);
    notifier->setEnabled(true);
    d->timer->start(timeoutMs);
}

void SocketControl::Settle(bool ready, bool aborted) {
    if (!d->busy)
        return;
    for (QSocketNotifier* notifier : {d->readNotifier, d->writeNotifier})
        if (notifier)
            notifier->setEnabled(false);
    if (d->timer)
        d->timer->stop();
    d->busy = false;
    const auto settle = std::exchange(d->settle, {});
    const auto done = std::exchange(d->done, {});
    settle(ready);
    if (d->loop)
        d->loop->quit();
    if (!aborted && done)
        done(); // may end this control: nothing may follow
}

void SocketControl::RunToEnd(const std::function<void(std::function<void()>)>& begin) {
    begin([] {});
    if (!d->busy)
        return; // answered at once, or refused
    if (!QCoreApplication::instance()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            d->deadline - std::chrono::steady_clock::now());
        Settle(
            PollReady(d->waitFd, d->waitForWriting ? POLLOUT : POLLIN, std::max<int>(0, int(left.count()))),
            false);
        return;
    }
    const QPointer<SocketControl> self(this);
    QEventLoop loop;
    d->loop = &loop;
    loop.exec();
    if (!self)
        return; // the control ended during the wait
    d->loop = nullptr;
    // The loop also ends when the application quits; then the descriptor tells what it has.
    if (d->busy)
        Settle(PollReady(d->waitFd, d->waitForWriting ? POLLOUT : POLLIN, 0), false);
}
