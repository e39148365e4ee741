#include "Urteil.h"

#include "Logkategorie.h"

#include <QRegularExpression>

namespace kabel {

namespace {

Urteil urteil(const Ergebnis<Werkzeugergebnis>& lauf) {
    if (!lauf) {
        const auto* zugriff = std::get_if<ZugriffFehler>(&lauf.error());
        return std::holds_alternative<Abgebrochen>(lauf.error())                  ? Urteil::antwortetNicht
               : zugriff && zugriff->fall() == ZugriffFehler::Fall::werkzeugFehlt ? Urteil::werkzeugFehlt
                                                                                  : Urteil::fehlgeschlagen;
    }
    if (lauf->status == 0)
        return QString::fromUtf8(lauf->ausgabe).trimmed().isEmpty() ? Urteil::zurueckgehalten
                                                                    : Urteil::fertig;
    // "No device found with udid …." (idevicediagnostics, idevicecrashreport), "ERROR: Device … not
    // found!" (ideviceinfo); "Could not connect to lockdownd: SSL error (-5)", "…, error code -5".
    static const QRegularExpression getrennt(
        QStringLiteral("^(No device found|ERROR: No device found|ERROR: Device \\S+ not found!)"),
        QRegularExpression::MultilineOption);
    const QString text = QString::fromUtf8(lauf->ausgabe) + u'\n' + QString::fromUtf8(lauf->fehlerausgabe);
    return text.contains(getrennt)                            ? Urteil::getrennt
           : text.contains(u"Could not connect to lockdownd") ? Urteil::antwortetNicht
                                                              : Urteil::fehlgeschlagen;
}

} // namespace

Urteil urteilen(const Ergebnis<Werkzeugergebnis>& lauf) {
    const Urteil gefunden = urteil(lauf);
    static constexpr const char* namen[] = {"fertig",          "zurückgehalten", "getrennt",
                                            "antwortet nicht", "Werkzeug fehlt", "fehlgeschlagen"};
    if (gefunden != Urteil::fertig)
        qCDebug(logGeraet) << "Urteil:" << namen[int(gefunden)];
    return gefunden;
}

ZugriffFehler lesefehler(Urteil urteil) {
    return urteil == Urteil::getrennt        ? iPhoneGetrennt()
           : urteil == Urteil::werkzeugFehlt ? ZugriffFehler::werkzeugFehlt()
                                             : iPhoneAntwortetNicht();
}

} // namespace kabel
