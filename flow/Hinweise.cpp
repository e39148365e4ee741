#include "Hinweise.h"

namespace kabel {

std::optional<QString> hinweisOhneGeraet(const Ergebnis<QStringList>& liste,
                                         std::chrono::milliseconds dienstStummSeit) {
    if (liste || std::holds_alternative<Abgebrochen>(liste.error()))
        return std::nullopt;
    const auto* fehler = std::get_if<ZugriffFehler>(&liste.error());
    if (fehler && fehler->fall() == ZugriffFehler::Fall::usbDienstAntwortetNicht &&
        dienstStummSeit <= std::chrono::seconds(10))
        return std::nullopt;
    return beschreibung(liste.error());
}

std::optional<QString> hinweisOhneVertrauen(Kopplung kopplung) {
    switch (kopplung) {
    case Kopplung::gesperrt:
        return QStringLiteral("Bitte das iPhone entsperren.");
    case Kopplung::abgelehnt:
        return QStringLiteral(
            "Auf dem iPhone wurde „Nicht vertrauen“ gewählt. Kabel kurz abziehen und wieder einstecken.");
    case Kopplung::gekoppelt:
    case Kopplung::ausstehend:
        break;
    }
    return std::nullopt;
}

} // namespace kabel
