#pragma once

#include <QObject>
#include <functional>
#include <mutex>

namespace kabel {

// The way back from a background thread to the UI thread. Background tasks may outlive the
// controller (a tool can hang for minutes, and they are never joined), so they hold this bridge
// instead of the controller: once the controller is gone, posting does nothing. A posted call
// whose receiver is deleted before it runs is dropped by Qt.
class UiBruecke {
public:
    explicit UiBruecke(QObject* empfaenger) : m_empfaenger(empfaenger) {}

    // Runs `aufruf` on the receiver's thread, later; nothing once the receiver is gone.
    void posten(std::function<void()> aufruf) {
        std::lock_guard lock(m_mutex);
        if (m_empfaenger)
            QMetaObject::invokeMethod(m_empfaenger, std::move(aufruf), Qt::QueuedConnection);
    }

    // Called by the receiver's destructor.
    void trennen() {
        std::lock_guard lock(m_mutex);
        m_empfaenger = nullptr;
    }

private:
    std::mutex m_mutex;
    QObject* m_empfaenger;
};

} // namespace kabel
