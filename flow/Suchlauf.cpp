#include "Suchlauf.h"

#include "UiBruecke.h"

#include <thread>

namespace kabel {

KabelAblauf::Suchlauf::Suchlauf(KabelAblauf& ablauf)
    : m_ablauf(&ablauf), m_zugriff(ablauf.m_zugriff), m_bruecke(ablauf.m_bruecke), m_pause(ablauf.m_pause) {}

std::shared_ptr<KabelAblauf::Suchlauf> KabelAblauf::Suchlauf::starten(KabelAblauf& ablauf) {
    std::shared_ptr<Suchlauf> lauf(new Suchlauf(ablauf));
    std::thread([lauf] { lauf->laufen(); }).detach();
    return lauf;
}

void KabelAblauf::Suchlauf::laufen() {
    const std::stop_token stop = m_stop.get_token();
    bool kopplungVersucht = false;
    while (!stop.stop_requested()) {
        const Ergebnis<QStringList> geraete = m_zugriff->geraete();
        if (!geraete || geraete->isEmpty()) {
            // A failed listing (tool missing, say) counts as no device: keep waiting quietly.
            const bool geschrieben = aufUiThread([](KabelAblauf& ablauf) {
                if (ablauf.m_schritt.fall() != Schritt::Fall::wartetAufGeraet)
                    ablauf.schrittSetzen(Schritt::wartetAufGeraet());
            });
            if (!geschrieben)
                return;
            kopplungVersucht = false;
            pausieren();
            continue;
        }

        const QString udid = geraete->first();
        if (m_zugriff->istGekoppelt(udid)) {
            aufUiThread([udid](KabelAblauf& ablauf) {
                ablauf.m_udid = udid;
                ablauf.auslesen(udid);
            });
            return;
        }

        if (!aufUiThread([](KabelAblauf& ablauf) { ablauf.schrittSetzen(Schritt::wartetAufVertrauen()); }))
            return;
        // One request per attachment: the phone shows its trust dialog, and asking again while it
        // is up would only stack dialogs. The answer does not matter; the next validate tells.
        if (!kopplungVersucht)
            (void)m_zugriff->koppeln(udid);
        kopplungVersucht = true;
        pausieren();
    }
}

bool KabelAblauf::Suchlauf::aufUiThread(std::function<void(KabelAblauf&)> schreiben) {
    struct Rueckmeldung {
        std::mutex mutex;
        std::condition_variable_any fertig;
        std::optional<bool> geschrieben;
    };
    auto rueckmeldung = std::make_shared<Rueckmeldung>();
    const auto melden = [rueckmeldung](bool geschrieben) {
        std::lock_guard lock(rueckmeldung->mutex);
        rueckmeldung->geschrieben = geschrieben;
        rueckmeldung->fertig.notify_all();
    };

    const std::stop_token stop = m_stop.get_token();
    const bool gepostet =
        m_bruecke->posten([ablauf = m_ablauf, stop, schreiben = std::move(schreiben), melden] {
            // Cancellation is requested on this thread too, so this check cannot race with it.
            if (stop.stop_requested()) {
                melden(false);
                return;
            }
            schreiben(*ablauf);
            melden(true);
        });
    if (!gepostet)
        return false;

    std::unique_lock lock(rueckmeldung->mutex);
    // Also wakes up on cancellation: a controller that is going away never runs the call.
    rueckmeldung->fertig.wait(lock, stop, [&] { return rueckmeldung->geschrieben.has_value(); });
    return rueckmeldung->geschrieben.value_or(false);
}

void KabelAblauf::Suchlauf::pausieren() {
    std::mutex mutex;
    std::condition_variable_any wecker;
    std::unique_lock lock(mutex);
    wecker.wait_for(lock, m_stop.get_token(), m_pause, [] { return false; });
}

} // namespace kabel
