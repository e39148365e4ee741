#include "Hinweise.h"

#include <algorithm>

namespace kabel {

using namespace std::chrono_literals;

namespace {

// Something missing or broken that the technician can put right, in the failure's own words.
Hinweis fehlerHinweis(const Fehler& fehler) {
    const auto* zugriff = std::get_if<ZugriffFehler>(&fehler);
    // In the order of ZugriffFehler::Fall; a case added later is named plainly.
    const char* const faelle[] = {"lesen", "werkzeugFehlt", "nichtGekoppelt", "usbDienstFehlt",
                                  "usbDienstAntwortetNicht"};
    const auto fall = zugriff ? std::size_t(zugriff->fall()) : 0;
    return {!zugriff                   ? "startFehler"
            : fall < std::size(faelle) ? faelle[fall]
                                       : "zugriffFehler",
            beschreibung(fehler)};
}

bool istAbgebrochen(const auto& ergebnis) {
    return !ergebnis && std::holds_alternative<Abgebrochen>(ergebnis.error());
}

} // namespace

Wartelage::Wartelage(Zeit beginn, bool usbmuxdImSystem)
    : m_usbmuxdImSystem(usbmuxdImSystem), m_aenderung(beginn), m_ungelistetSeit(beginn),
      m_ohneAppleSeit(beginn) {}

std::optional<Hinweis> Wartelage::gelistet(Zeit jetzt, const Ergebnis<QStringList>& liste,
                                           const std::optional<QList<Usbmodus>>& usb) {
    const bool gelistet = liste && !liste->isEmpty();
    // A killed listing says nothing about the phones.
    if (!istAbgebrochen(liste) && liste.value_or(QStringList()) != m_liste) {
        m_liste = liste.value_or(QStringList());
        m_aenderung = jetzt;
    }
    std::optional<QList<Usbmodus>> bus = usb;
    if (bus) {
        std::ranges::sort(*bus);
        if (bus != m_bus)
            m_aenderung = jetzt;
        m_bus = bus;
    }
    const auto seit = [jetzt](std::optional<Zeit>& uhr, bool laeuft) {
        uhr = laeuft ? std::optional(uhr.value_or(jetzt)) : std::nullopt;
    };
    seit(m_ungelistetSeit, !gelistet);
    seit(m_ohneAppleSeit, !gelistet && !(usb && !usb->isEmpty()));
    seit(m_unerkanntSeit, !gelistet && usb && usb->contains(Usbmodus::normal));
    if (!liste || liste->size() != 1)
        m_fehlercode = 0; // no phone to be trusted

    if (gelistet) { // one phone is the trust test's; of several, which is meant nothing can tell
        if (liste->size() == 1)
            return std::nullopt;
        return Hinweis{
            "mehrere",
            QStringLiteral(
                "Mehrere iPhones angeschlossen. Bitte nur das zu prüfende iPhone angeschlossen lassen.")};
    }
    const auto* fehler = liste ? nullptr : std::get_if<ZugriffFehler>(&liste.error());
    const bool usbmuxd = fehler && (fehler->fall() == ZugriffFehler::Fall::usbDienstFehlt ||
                                    fehler->fall() == ZugriffFehler::Fall::usbDienstAntwortetNicht);
    // Something missing or broken is put right before anything else: usbmuxd missing only where it
    // is not the system's.
    if (!liste && !istAbgebrochen(liste) &&
        (!usbmuxd || (!m_usbmuxdImSystem && fehler->fall() == ZugriffFehler::Fall::usbDienstFehlt)))
        return fehlerHinweis(liste.error());
    if (usb && (usb->contains(Usbmodus::wiederherstellung) || usb->contains(Usbmodus::dfu)))
        return Hinweis{
            "wiederherstellung",
            QStringLiteral(
                "Das iPhone ist im Wiederherstellungs- oder DFU-Modus. Bitte normal starten, dann geht es weiter.")};
    if (m_unerkanntSeit) {
        if (jetzt - *m_unerkanntSeit <= 10s)
            return std::nullopt;
        return Hinweis{
            "nichtGelistet",
            QStringLiteral(
                "Das iPhone ist am USB erkannt, aber der iPhone-USB-Dienst meldet es nicht. Kabel kurz abziehen oder „sudo systemctl restart usbmuxd“ ausführen.")};
    }
    // With nothing plugged in the bus looks as with a charge-only cable, so the hint says both.
    if (usb) {
        if (jetzt - *m_ohneAppleSeit <= 20s)
            return std::nullopt;
        return Hinweis{
            "datenkabel",
            QStringLiteral(
                "Noch kein iPhone am USB erkannt. Steckt es schon, bitte ein Datenkabel verwenden, kein reines Ladekabel.")};
    }
    // Without a view of the bus, only usbmuxd's silence for a while can tell.
    if (usbmuxd && !m_usbmuxdImSystem && jetzt - *m_ungelistetSeit > 10s)
        return fehlerHinweis(liste.error());
    return std::nullopt;
}

std::optional<Hinweis> Wartelage::vertrauen(Zeit jetzt, const Ergebnis<Kopplung>& kopplung) {
    if (istAbgebrochen(kopplung)) // a killed test says nothing new: the next pass tests again
        return std::nullopt;
    if (kopplung != m_vertrauen)
        m_aenderung = jetzt;
    m_vertrauen = kopplung;
    const qint32 code = kopplung && kopplung->stand == Kopplung::fehlgeschlagen ? kopplung->fehlercode : 0;
    if (code != m_fehlercode) {
        m_fehlercode = code;
        m_fehlercodeSeit = jetzt;
    }
    if (!kopplung)
        return fehlerHinweis(kopplung.error());
    switch (kopplung->stand) {
    case Kopplung::gesperrt:
        return Hinweis{"gesperrt", QStringLiteral("Bitte das iPhone entsperren.")};
    case Kopplung::abgelehnt:
        return Hinweis{
            "abgelehnt",
            QStringLiteral(
                "Auf dem iPhone wurde „Nicht vertrauen“ gewählt. Kabel kurz abziehen und wieder einstecken.")};
    case Kopplung::fehlgeschlagen:
        // Pairing prohibited, managed configuration: the phone's owner forbids it, retrying cannot help.
        if (QList<qint32>{-36, -38, -39}.contains(code))
            return Hinweis{
                "verwaltet",
                QStringLiteral("Dieses iPhone ist verwaltet und erlaubt keine Kopplung mit Computern.")};
        // Anything else may pass (an SSL error after a re-plug, a trust dialog slow to come up): only
        // when every answer for a while has carried it.
        if (jetzt - m_fehlercodeSeit >= 15s)
            return Hinweis{
                "kopplungsfehler",
                QStringLiteral(
                    "Kopplung fehlgeschlagen (Fehler %1). Kabel kurz abziehen und wieder einstecken.")
                    .arg(code)};
        break;
    case Kopplung::gekoppelt:
    case Kopplung::ausstehend:
        break;
    }
    return std::nullopt;
}

} // namespace kabel
