#include "Hinweise.h"

namespace kabel {

using namespace std::chrono_literals;

std::optional<QString> hinweisOhneGeraet(const Ergebnis<QStringList>& liste,
                                         std::chrono::milliseconds ohneGeraetSeit,
                                         const std::optional<QList<Usbmodus>>& usb) {
    if (liste && !liste->isEmpty()) // which of several is meant, nothing can tell
        return liste->size() > 1
                   ? std::optional(QStringLiteral(
                         "Mehrere iPhones angeschlossen. Bitte nur das zu prüfende iPhone angeschlossen lassen."))
                   : std::nullopt;
    const auto* fehler = liste ? nullptr : std::get_if<ZugriffFehler>(&liste.error());
    const bool dienstStumm = fehler && fehler->fall() == ZugriffFehler::Fall::usbDienstAntwortetNicht;
    // Something missing or broken is put right before anything else.
    if (!liste && !dienstStumm && !std::holds_alternative<Abgebrochen>(liste.error()))
        return beschreibung(liste.error());
    // usbmuxd is not started for a phone in recovery or DFU mode, so its silence says nothing then.
    if (usb && (usb->contains(Usbmodus::wiederherstellung) || usb->contains(Usbmodus::dfu)))
        return QStringLiteral(
            "Das iPhone ist im Wiederherstellungs- oder DFU-Modus. Bitte normal starten, dann geht es weiter.");
    if (dienstStumm && ohneGeraetSeit > 10s)
        return beschreibung(liste.error());
    if (usb && usb->contains(Usbmodus::normal))
        return ohneGeraetSeit > 10s
                   ? std::optional(QStringLiteral(
                         "Das iPhone ist am USB erkannt, aber der iPhone-USB-Dienst meldet es nicht. Kabel kurz abziehen oder „sudo systemctl restart usbmuxd“ ausführen."))
                   : std::nullopt;
    if (liste && usb && ohneGeraetSeit > 20s)
        return QStringLiteral(
            "Kein iPhone am USB erkannt. Bitte ein Datenkabel verwenden, kein reines Ladekabel.");
    return std::nullopt;
}

std::optional<QString> hinweisOhneVertrauen(const Ergebnis<Kopplung>& kopplung, int gleicherFehlerInFolge) {
    if (!kopplung) // a killed test says nothing new: the next pass tests again
        return std::holds_alternative<Abgebrochen>(kopplung.error())
                   ? std::nullopt
                   : std::optional(beschreibung(kopplung.error()));
    switch (kopplung->stand) {
    case Kopplung::gesperrt:
        return QStringLiteral("Bitte das iPhone entsperren.");
    case Kopplung::abgelehnt:
        return QStringLiteral(
            "Auf dem iPhone wurde „Nicht vertrauen“ gewählt. Kabel kurz abziehen und wieder einstecken.");
    case Kopplung::fehlgeschlagen:
        // Pairing prohibited, managed configuration: the phone's owner forbids it, retrying cannot help.
        if (QList<qint32>{-36, -38, -39}.contains(kopplung->fehlercode))
            return QStringLiteral("Dieses iPhone ist verwaltet und erlaubt keine Kopplung mit Computern.");
        // Anything else may pass (an SSL error after a re-plug, a busy phone): only when it stays.
        if (gleicherFehlerInFolge >= 3)
            return QStringLiteral(
                       "Kopplung fehlgeschlagen (Fehler %1). Kabel kurz abziehen und wieder einstecken.")
                .arg(kopplung->fehlercode);
        break;
    case Kopplung::gekoppelt:
    case Kopplung::ausstehend:
        break;
    }
    return std::nullopt;
}

} // namespace kabel
