#include "ZugriffFehler.h"

namespace kabel {

QString ZugriffFehler::beschreibung() const {
    switch (m_fall) {
    case Fall::lesen:
        return m_text;
    case Fall::werkzeugFehlt:
        return QStringLiteral("Die Gerätebibliothek fehlt. Bitte Sondit Kabel neu installieren.");
    case Fall::nichtGekoppelt:
        return QStringLiteral("Auf dem iPhone „Vertrauen“ tippen und den Code eingeben.");
    case Fall::usbDienstFehlt:
        return QStringLiteral("Der iPhone-USB-Dienst „usbmuxd“ fehlt. Bitte das Paket usbmuxd installieren.");
    case Fall::usbDienstAntwortetNicht:
        return QStringLiteral(
            "Noch kein iPhone erkannt. Steckt es schon, das Kabel kurz abziehen oder „sudo systemctl restart usbmuxd“ ausführen.");
    }
    return {};
}

ZugriffFehler iPhoneAntwortetNicht() {
    return ZugriffFehler::lesen(
        QStringLiteral("Das iPhone antwortet nicht. Bitte entsperrt lassen und erneut versuchen."));
}

ZugriffFehler iPhoneGetrennt() {
    return ZugriffFehler::lesen(QStringLiteral(
        "Die Verbindung zum iPhone wurde getrennt. Bitte wieder anschließen und erneut versuchen."));
}

QString beschreibung(const Fehler& fehler) {
    if (const auto* zugriff = std::get_if<ZugriffFehler>(&fehler))
        return zugriff->beschreibung();
    if (const auto* start = std::get_if<StartFehler>(&fehler))
        return start->beschreibung;
    return iPhoneAntwortetNicht().beschreibung();
}

} // namespace kabel
