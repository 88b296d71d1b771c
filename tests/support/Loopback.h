#pragma once

#include <atomic>
#include <thread>
#include <vector>

// Real TCP peers on 127.0.0.1 (never any other address) for tests and benchmarks.

// Listens and accepts (and closes) every connection on a background thread. Port 0 picks a free
// port; a given port that cannot be bound throws std::runtime_error.
class OpenListener {
public:
    explicit OpenListener(int port = 0);
    ~OpenListener();
    OpenListener(const OpenListener&) = delete;
    OpenListener& operator=(const OpenListener&) = delete;
    int port() const { return m_port; }
    // Waits until at least `count` connections have been accepted; false after `timeoutMs`.
    bool waitForAccepted(int count, int timeoutMs = 5000) const;

private:
    int m_fd = -1;
    int m_port = 0;
    std::atomic<int> m_accepted{0};
    std::thread m_thread;
};

// A port on 127.0.0.1 that nothing listens on: a connect is refused at once.
int ClosedLoopbackPort();

// A listener whose accept queue is full and which never accepts: a new connect gets no answer
// and runs into its time-out.
class SilentPeer {
public:
    SilentPeer();
    ~SilentPeer();
    SilentPeer(const SilentPeer&) = delete;
    SilentPeer& operator=(const SilentPeer&) = delete;
    int port() const { return m_port; }

private:
    int m_fd = -1;
    int m_port = 0;
    std::vector<int> m_fillers;
};

// Number of open file descriptors of this process.
int OpenDescriptorCount();
