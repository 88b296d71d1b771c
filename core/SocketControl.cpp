#include "core/SocketControl.h"

#include "core/Numeric.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QPointer>
#include <QSocketNotifier>
#include <QStringList>
#include <QTimer>
#include <QUrl>
#include <arpa/inet.h>
#include <cerrno>
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

// One name lookup on a worker thread. The worker and the waiting caller share this; whichever lets
// go last closes the pipe, so a lookup abandoned at its time-out still leaves no descriptor behind
// once the resolver returns.
struct LookupJob {
    int pipe[2] = {-1, -1};
    std::string host;
    std::mutex mutex;
    std::optional<in_addr> result;

    ~LookupJob() {
        for (int fd : pipe)
            if (fd >= 0)
                ::close(fd);
    }

    void Run() {
        addrinfo hints{};
        hints.ai_family = AF_INET;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* list = nullptr;
        if (::getaddrinfo(host.c_str(), nullptr, &hints, &list) == 0) {
            for (addrinfo* entry = list; entry; entry = entry->ai_next) {
                if (entry->ai_family == AF_INET && entry->ai_addr) {
                    std::lock_guard lock(mutex);
                    result = reinterpret_cast<const sockaddr_in*>(entry->ai_addr)->sin_addr;
                    break;
                }
            }
            ::freeaddrinfo(list);
        }
        const char done = 1;
        [[maybe_unused]] const auto written = ::write(pipe[1], &done, 1);
    }
};

// The text handed to the resolver: blanks around a name carry no meaning; names outside ASCII go
// in their ASCII-compatible form. Empty when there is nothing that could be looked up.
std::string ResolverName(const QString& name) {
    const QString trimmed = name.trimmed();
    bool ascii = true;
    for (QChar c : trimmed)
        ascii = ascii && c.unicode() < 0x80;
    const QByteArray encoded = ascii ? trimmed.toLatin1() : QUrl::toAce(trimmed);
    if (encoded.contains('\0'))
        return {};
    return encoded.toStdString();
}

} // namespace

struct SocketControl::Private {
    bool resolveOnAssign = false;
    QString peerName;
    QString peerAddress;
    quint16 peerPort = 0;
    qint16 connectTimeoutMs = DefaultConnectTimeoutMs;
    int fd = -1; // an established connection, or -1
    bool busy = false;
    bool aborted = false;
    QEventLoop* loop = nullptr;
};

SocketControl::SocketControl(QObject* parent) : QObject(parent), d(new Private) {}

SocketControl::~SocketControl() {
    // A wait still in progress returns once control goes back to its loop; it notices that the
    // control is gone and releases its own descriptor.
    Abort();
    if (d->fd >= 0)
        ::close(d->fd);
    delete d;
}

void SocketControl::setResolveOnAssign(bool value) {
    d->resolveOnAssign = value;
}
bool SocketControl::ResolveOnAssign() const {
    return d->resolveOnAssign;
}

void SocketControl::setPeerName(const QString& name) {
    d->peerName = name;
    if (!d->resolveOnAssign)
        return;
    d->peerAddress.clear();
    // A lookup asked for from inside another call's wait fails at once: the two would share one state.
    if (d->busy)
        return;
    if (const auto literal = ParseDottedDecimal(name.trimmed())) {
        d->peerAddress = DottedText(in_addr{*literal});
        return;
    }
    const std::string host = ResolverName(name);
    if (host.empty())
        return;

    auto job = std::make_shared<LookupJob>();
    job->host = host;
    if (::pipe2(job->pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    try {
        std::thread([job] { job->Run(); }).detach();
    } catch (const std::system_error&) {
        return; // no thread to be had: the name counts as not found
    }
    // A late answer after a time-out or an abort is dropped: the call has already failed.
    if (Wait(job->pipe[0], false, LookupTimeoutMs) != WaitOutcome::Ready)
        return;
    std::lock_guard lock(job->mutex);
    if (job->result)
        d->peerAddress = DottedText(*job->result);
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
    CloseConnection();
    const std::optional<in_addr_t> address = ParseDottedDecimal(d->peerAddress);
    if (!address || d->peerPort == 0)
        return;

    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return;
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(d->peerPort);
    peer.sin_addr.s_addr = *address;
    bool established = ::connect(fd, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) == 0;
    // EINTR leaves the connect going on in the background, exactly like EINPROGRESS.
    if (!established && (errno == EINPROGRESS || errno == EINTR)) {
        const int timeoutMs = d->connectTimeoutMs > 0 ? d->connectTimeoutMs : DefaultConnectTimeoutMs;
        // A near peer has often answered already; then no event loop needs to be set up.
        const WaitOutcome outcome =
            PollReady(fd, POLLOUT, 0) ? WaitOutcome::Ready : Wait(fd, true, timeoutMs);
        if (outcome == WaitOutcome::ControlDestroyed) {
            ::close(fd);
            return;
        }
        established = outcome == WaitOutcome::Ready && PendingSocketError(fd) == 0;
    }
    if (!established) {
        ::close(fd);
        return;
    }
    d->fd = fd;
}

bool SocketControl::IsConnected() const {
    return d->fd >= 0;
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
    if (!d->loop)
        return;
    d->aborted = true;
    d->loop->quit();
}

SocketControl::WaitOutcome SocketControl::Wait(int fd, bool forWriting, int timeoutMs) {
    const short events = forWriting ? POLLOUT : POLLIN;
    if (!QCoreApplication::instance()) // no event loop to wait in: nothing could repaint anyway
        return PollReady(fd, events, timeoutMs) ? WaitOutcome::Ready : WaitOutcome::Failed;

    const QPointer<SocketControl> self(this);
    QEventLoop loop;
    QSocketNotifier notifier(fd, forWriting ? QSocketNotifier::Write : QSocketNotifier::Read);
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    connect(&notifier, &QSocketNotifier::activated, &loop, &QEventLoop::quit);
    connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);

    d->busy = true;
    d->aborted = false;
    d->loop = &loop;
    timer.start(timeoutMs);
    loop.exec();
    if (!self)
        return WaitOutcome::ControlDestroyed;
    d->loop = nullptr;
    d->busy = false;
    // Ask the descriptor itself rather than trusting which signal ended the loop: the loop may also
    // have ended because the application is quitting, and readiness may coincide with the time-out.
    if (d->aborted)
        return WaitOutcome::Failed;
    return PollReady(fd, events, 0) ? WaitOutcome::Ready : WaitOutcome::Failed;
}
