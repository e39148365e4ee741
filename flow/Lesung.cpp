#include "Lesung.h"

#include "Bericht.h"

namespace kabel {

Leseergebnis geraetLesen(const Geraetezugriff& zugriff, const QString& udid, const QString& programm) {
    Ergebnis<Geraetedaten> geraet = zugriff.geraetedatenLesen(udid);
    if (!geraet)
        return std::unexpected(geraet.error());
    Lesung lesung{std::move(*geraet), zugriff.akkudatenLesen(udid), {}, {}};
    Ergebnis<QList<PanicLog>> panic = zugriff.panicLogsLesen(udid);
    if (!panic)
        return std::unexpected(panic.error());
    lesung.panic = std::move(*panic);
    // Encoding ten long logs takes tens of milliseconds: done here, not on the UI thread.
    lesung.bericht = berichtKodieren(Paket{programm, lesung.geraet, lesung.akku, lesung.panic});
    return lesung;
}

} // namespace kabel
