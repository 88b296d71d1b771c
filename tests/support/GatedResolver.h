#pragma once

#include "core/SocketControl.h"

#include <QString>
#include <condition_variable>
#include <memory>
#include <mutex>

// A name lookup that is slow on purpose: every lookup started while this object lives waits, on the
// resolver's worker thread, until the test opens the gate; then it answers `answer`.
class GatedResolver {
public:
    GatedResolver() {
        // The worker keeps the gate alive: a lookup abandoned by the test may still be waiting on it.
        SocketControl::setResolver([gate = m_gate](const QString&) {
            std::unique_lock lock(gate->mutex);
            gate->opened.wait(lock, [&] { return gate->open; });
            return gate->answer;
        });
    }
    ~GatedResolver() {
        Open(QString());
        SocketControl::setResolver({});
    }
    GatedResolver(const GatedResolver&) = delete;
    GatedResolver& operator=(const GatedResolver&) = delete;

    void Open(const QString& answer) {
        std::lock_guard lock(m_gate->mutex);
        m_gate->answer = answer;
        m_gate->open = true;
        m_gate->opened.notify_all();
    }

private:
    struct Gate {
        std::mutex mutex;
        std::condition_variable opened;
        bool open = false;
        QString answer;
    };
    std::shared_ptr<Gate> m_gate = std::make_shared<Gate>();
};
