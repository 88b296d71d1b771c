#include "tests/support/Loopback.h"

#include <QDir>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <netinet/in.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace {
sockaddr_in loopback(int port) {
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return addr;
}

int boundSocket(int* portOut, int port = 0) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        throw std::runtime_error("socket failed");
    // A peer that stopped may listen on its port again although connections it closed linger.
    const int reuse = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
    sockaddr_in addr = loopback(port);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd);
        throw std::runtime_error("bind failed");
    }
    socklen_t len = sizeof addr;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    *portOut = ntohs(addr.sin_port);
    return fd;
}
} // namespace

OpenListener::OpenListener(int port) {
    m_fd = boundSocket(&m_port, port);
    if (::listen(m_fd, 512) != 0) {
        ::close(m_fd);
        throw std::runtime_error("listen failed");
    }
    m_thread = std::thread([this] {
        for (;;) {
            const int client = ::accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC);
            if (client >= 0) {
                ::close(client);
                ++m_accepted;
            } else if (errno != EINTR && errno != ECONNABORTED) {
                return; // shut down by the destructor
            }
        }
    });
}

OpenListener::~OpenListener() {
    ::shutdown(m_fd, SHUT_RDWR); // wakes the blocked accept
    m_thread.join();
    ::close(m_fd);
}

bool OpenListener::waitForAccepted(int count, int timeoutMs) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (m_accepted.load() < count) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::yield();
    }
    return true;
}

int ClosedLoopbackPort() {
    int port = 0;
    const int fd = boundSocket(&port);
    ::close(fd); // bound, never listened: the port is free and refuses connections
    return port;
}

SilentPeer::SilentPeer() {
    m_fd = boundSocket(&m_port);
    ::listen(m_fd, 0);
    // Fill the accept queue; once it is full the kernel drops further SYNs without an answer.
    for (int i = 0; i < 8; ++i) {
        const int client = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        sockaddr_in addr = loopback(m_port);
        ::connect(client, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        pollfd pfd{client, POLLOUT, 0};
        const bool completed = ::poll(&pfd, 1, 200) == 1 && (pfd.revents & POLLOUT);
        m_fillers.push_back(client);
        if (!completed)
            break;
    }
}

SilentPeer::~SilentPeer() {
    for (int fd : m_fillers)
        ::close(fd);
    ::close(m_fd);
}

int OpenDescriptorCount() {
    // Less one: the listing's own descriptor.
    return static_cast<int>(QDir("/proc/self/fd")
                                .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
                                .size()) -
           1;
}
