#include "Lesung.h"

#include "Bericht.h"

namespace kabel {

Leseergebnis geraetLesen(const Geraetezugriff& zugriff, const QString& udid, const QString& programm,
                         const Kopiermeldung& melden) {
    Ergebnis<Geraetedaten> geraet = zugriff.geraetedatenLesen(udid);
    if (!geraet)
        return std::unexpected(geraet.error());
    Ergebnis<std::optional<Akkudaten>> akku = zugriff.akkudatenLesen(udid);
    if (!akku)
        return std::unexpected(akku.error());
    Lesung lesung{std::move(*geraet), std::move(*akku), 0, {}, {}};
    Ergebnis<QList<PanicLog>> panic = zugriff.panicLogsLesen(udid, melden);
    if (!panic)
        return std::unexpected(panic.error());
    lesung.panicAnzahl = panic->size();
    lesung.panicBefund = panicBefund(*panic);
    // Encoding ten long logs takes tens of milliseconds: done here, not on the UI thread.
    lesung.bericht = berichtKodieren(Paket{programm, lesung.geraet, lesung.akku, std::move(*panic)});
    return lesung;
}

std::optional<QString> kopierText(const Kopierstand& stand) {
    if (stand.dauer < std::chrono::seconds(2))
        return std::nullopt;
    return QStringLiteral("%1 Berichte vom iPhone kopiert (%2) …")
        .arg(stand.dateien)
        .arg(stand.bytes < 1'000'000 ? QString::number(stand.bytes / 1000) + u" kB"
                                     : QString::number(stand.bytes / 1'000'000) + u" MB");
}

} // namespace kabel
