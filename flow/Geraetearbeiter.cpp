#include "Geraetearbeiter.h"

#include <algorithm>
#include <thread>

namespace kabel {

std::shared_ptr<Geraetearbeiter> Geraetearbeiter::starten() {
    std::shared_ptr<Geraetearbeiter> arbeiter(new Geraetearbeiter);
    std::thread([arbeiter] { arbeiter->laufen(); }).detach();
    return arbeiter;
}

void Geraetearbeiter::auftrag(quint64 pruefung, std::function<void()> arbeit) {
    std::lock_guard sperre(m_mutex);
    if (m_angehalten || pruefung < m_gueltigAb)
        return;
    m_auftraege.push_back({pruefung, std::move(arbeit)});
    m_neu.notify_one();
}

void Geraetearbeiter::ueberholen(quint64 pruefung) {
    std::lock_guard sperre(m_mutex);
    m_gueltigAb = std::max(m_gueltigAb, pruefung);
    std::erase_if(m_auftraege, [&](const Auftrag& auftrag) { return auftrag.pruefung < m_gueltigAb; });
}

void Geraetearbeiter::anhalten() {
    std::lock_guard sperre(m_mutex);
    m_angehalten = true;
    m_auftraege.clear();
    m_neu.notify_one();
}

void Geraetearbeiter::laufen() {
    for (;;) {
        std::function<void()> arbeit;
        {
            std::unique_lock sperre(m_mutex);
            m_neu.wait(sperre, [this] { return m_angehalten || !m_auftraege.empty(); });
            if (m_angehalten)
                return;
            arbeit = std::move(m_auftraege.front().arbeit);
            m_auftraege.pop_front();
        }
        arbeit();
    }
}

} // namespace kabel
