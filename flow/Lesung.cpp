#include "Lesung.h"

namespace kabel {

Leseergebnis geraetLesen(const Geraetezugriff& zugriff, const QString& udid) {
    Ergebnis<Geraetedaten> geraet = zugriff.geraetedatenLesen(udid);
    if (!geraet)
        return std::unexpected(geraet.error());
    Lesung lesung{std::move(*geraet), zugriff.akkudatenLesen(udid), {}};
    lesung.panic = zugriff.panicLogsLesen(udid);
    return lesung;
}

} // namespace kabel
