#include "Geraetearbeiter.h"

#include <algorithm>
#include <thread>
#include <utility>

namespace kabel {

std::shared_ptr<Geraetearbeiter> Geraetearbeiter::starten() {
    std::shared_ptr<Geraetearbeiter> arbeiter(new Geraetearbeiter);
    std::thread([arbeiter] { arbeiter->laufen(); }).detach();
    return arbeiter;
}

void Geraetearbeiter::auftrag(quint64 pruefung, std::function<void()> arbeit) {
    std::shared_ptr<Abbruch> vorige;
    {
        std::lock_guard sperre(m_mutex);
        if (m_angehalten || pruefung < m_gueltigAb)
            return;
        vorige = gueltigAb(pruefung);
        m_auftraege.push_back({pruefung, m_abbruch, std::move(arbeit)});
        m_neu.notify_one();
    }
    if (vorige)
        vorige->beenden();
}

void Geraetearbeiter::ueberholen(quint64 pruefung) {
    std::shared_ptr<Abbruch> vorige;
    {
        std::lock_guard sperre(m_mutex);
        vorige = gueltigAb(pruefung);
        std::erase_if(m_auftraege, [&](const Auftrag& auftrag) { return auftrag.pruefung < m_gueltigAb; });
    }
    if (vorige)
        vorige->beenden();
}

std::shared_ptr<Abbruch> Geraetearbeiter::gueltigAb(quint64 pruefung) {
    if (pruefung <= m_gueltigAb)
        return nullptr;
    m_gueltigAb = pruefung;
    return std::exchange(m_abbruch, std::make_shared<Abbruch>());
}

void Geraetearbeiter::anhalten() {
    std::shared_ptr<Abbruch> laufend;
    {
        std::lock_guard sperre(m_mutex);
        m_angehalten = true;
        m_auftraege.clear();
        laufend = m_abbruch;
        m_neu.notify_one();
    }
    laufend->beenden();
}

void Geraetearbeiter::laufen() {
    for (;;) {
        Auftrag auftrag;
        {
            std::unique_lock sperre(m_mutex);
            m_neu.wait(sperre, [this] { return m_angehalten || !m_auftraege.empty(); });
            if (m_angehalten)
                return;
            auftrag = std::move(m_auftraege.front());
            m_auftraege.pop_front();
        }
        // Tools the job starts belong to its check, so superseding the check ends them.
        const Abbruch::Zuordnung zuordnung(std::move(auftrag.abbruch));
        auftrag.arbeit();
    }
}

} // namespace kabel
