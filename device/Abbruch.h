#pragma once

#include <atomic>

namespace kabel {

// Ends the tools of one piece of work. The caller keeps one per piece and hands it to every device
// operation; the runner starts no tool for ended work and kills a running one within 50 ms. Any thread.
class Abbruch {
public:
    void beenden() { m_beendet = true; }
    bool beendet() const { return m_beendet; }

private:
    std::atomic<bool> m_beendet = false;
};

} // namespace kabel
