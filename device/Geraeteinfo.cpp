// The identity of a device, one ideviceinfo run per key.
#include "Libimobiledevice.h"

namespace kabel {

std::optional<QString> Libimobiledevice::infoWert(const QString& schluessel, const QString& udid) const {
    const auto lauf = ausfuehren(QStringLiteral("ideviceinfo"),
                                 {QStringLiteral("-u"), udid, QStringLiteral("-k"), schluessel});
    if (!lauf)
        return std::nullopt;
    // A value counts whatever the status. One exception: the 1.3.0 tool prints its own failure
    // ("ERROR: Device <UDID> not found!", status 255) on stdout, and that must not become the
    // model of a phone that was unplugged a moment ago.
    QString text = ausgabeText(lauf->ausgabe);
    if (lauf->status != 0 && text.startsWith(u"ERROR: "))
        return std::nullopt;
    if (text.isEmpty())
        return std::nullopt;
    return text;
}

Ergebnis<Geraetedaten> Libimobiledevice::geraetedatenLesen(const QString& udid) const {
    std::optional<QString> produkt = infoWert(QStringLiteral("ProductType"), udid);
    if (!produkt)
        return std::unexpected(ZugriffFehler::lesen(
            QStringLiteral("Das iPhone antwortet nicht. Bitte entsperrt lassen und erneut versuchen.")));

    Geraetedaten daten;
    daten.produkt = std::move(*produkt);
    daten.ios = infoWert(QStringLiteral("ProductVersion"), udid);
    daten.seriennummer = infoWert(QStringLiteral("SerialNumber"), udid);
    daten.imei = infoWert(QStringLiteral("InternationalMobileEquipmentIdentity"), udid);
    daten.imei2 = infoWert(QStringLiteral("InternationalMobileEquipmentIdentity2"), udid);
    daten.aktivierung = infoWert(QStringLiteral("ActivationState"), udid);
    return daten;
}

} // namespace kabel
