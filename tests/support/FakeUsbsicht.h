#pragma once

#include "device/Usbsicht.h"

#include <mutex>

namespace kabel::test {

// A USB bus that shows what the test sets, by default one without an Apple phone; safe to use
// from the controller's worker thread.
class FakeUsbsicht final : public Usbsicht {
public:
    std::optional<QList<Usbmodus>> appleGeraete() const override {
        std::lock_guard s(m_mutex);
        return m_geraete;
    }
    void setzen(std::optional<QList<Usbmodus>> geraete) {
        std::lock_guard s(m_mutex);
        m_geraete = std::move(geraete);
    }

private:
    mutable std::mutex m_mutex;
    std::optional<QList<Usbmodus>> m_geraete = QList<Usbmodus>();
};

} // namespace kabel::test
