#include "Lesung.h"

#include "Bericht.h"

namespace kabel {

Leseergebnis geraetLesen(const Geraetezugriff& zugriff, const QString& udid, const QString& programm) {
    Ergebnis<Geraetedaten> geraet = zugriff.geraetedatenLesen(udid);
    if (!geraet)
        return std::unexpected(geraet.error());
    Lesung lesung{std::move(*geraet), zugriff.akkudatenLesen(udid), 0, {}};
    Ergebnis<QList<PanicLog>> panic = zugriff.panicLogsLesen(udid);
    if (!panic)
        return std::unexpected(panic.error());
    lesung.panicAnzahl = panic->size();
    // Encoding ten long logs takes tens of milliseconds: done here, not on the UI thread.
    lesung.bericht = berichtKodieren(Paket{programm, lesung.geraet, lesung.akku, std::move(*panic)});
    return lesung;
}

} // namespace kabel
