#include "Abbruch.h"

namespace kabel {

namespace {

thread_local Abbruch* aktuell = nullptr;

} // namespace

void Abbruch::beenden() {
    std::lock_guard sperre(m_mutex);
    if (m_beendet)
        return;
    m_beendet = true;
    for (Anmeldung* anmeldung : m_anmeldungen)
        anmeldung->m_beenden();
}

bool Abbruch::beendet() const {
    std::lock_guard sperre(m_mutex);
    return m_beendet;
}

bool Abbruch::aktuellBeendet() {
    return aktuell && aktuell->beendet();
}

Abbruch::Zuordnung::Zuordnung(std::shared_ptr<Abbruch> abbruch)
    : m_abbruch(std::move(abbruch)), m_vorher(aktuell) {
    aktuell = m_abbruch.get();
}

Abbruch::Zuordnung::~Zuordnung() {
    aktuell = m_vorher;
}

Abbruch::Anmeldung::Anmeldung(std::function<void()> beenden)
    : m_abbruch(aktuell), m_beenden(std::move(beenden)) {
    if (!m_abbruch)
        return;
    std::lock_guard sperre(m_abbruch->m_mutex);
    if (m_abbruch->m_beendet)
        m_beenden();
    else
        m_abbruch->m_anmeldungen.insert(this);
}

Abbruch::Anmeldung::~Anmeldung() {
    if (!m_abbruch)
        return;
    std::lock_guard sperre(m_abbruch->m_mutex);
    m_abbruch->m_anmeldungen.erase(this);
}

} // namespace kabel
