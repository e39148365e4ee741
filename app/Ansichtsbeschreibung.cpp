#include "Ansichtsbeschreibung.h"

#include "Panicanzeige.h"
#include "flow/KabelAblauf.h"

#include <QStringList>

namespace kabel {

Zustand zustandVon(const KabelAblauf& ablauf) {
    Zustand zustand;
    zustand.schritt = ablauf.schritt();
    zustand.ziel = ablauf.ziel();
    zustand.werkstatt = ablauf.werkstatt();
    zustand.geraet = ablauf.geraet();
    zustand.akku = ablauf.akku();
    zustand.panicAnzahl = ablauf.panicAnzahl();
    zustand.kopplungEntfernen = ablauf.kopplungEntfernen();
    zustand.linkWirdGeprueft = ablauf.linkWirdGeprueft();
    zustand.hinweis = ablauf.hinweis();
    zustand.kopierfortschritt = ablauf.kopierfortschritt();
    zustand.panicBefund = ablauf.panicBefund();
#ifdef Q_OS_MACOS
    zustand.mac = true;
#endif
    return zustand;
}

QString untertitelFuer(const std::optional<QString>& werkstatt, const std::optional<QUrl>& ziel) {
    const QString host = ziel ? ziel->host() : QString();
    if (host.isEmpty())
        return QStringLiteral("Gerätedaten per Kabel für Werkora");
    if (werkstatt)
        return u"Für " + *werkstatt + u" · " + host;
    return host;
}

QList<Rasterzeile> rasterFuer(const std::optional<Geraetedaten>& geraet, const std::optional<Akkudaten>& akku,
                              qint64 panicAnzahl, const Panicbefund& panicBefund) {
    if (!geraet)
        return {};
    QList<Rasterzeile> zeilen;
    zeilen.append({QStringLiteral("Gerät"),
                   geraet->ios ? geraet->produkt + u" · iOS " + *geraet->ios : geraet->produkt, false});
    zeilen.append({QStringLiteral("IMEI"), geraet->imei.value_or(QStringLiteral("nicht lesbar")), true});
    if (geraet->imei2)
        zeilen.append({QStringLiteral("IMEI 2"), *geraet->imei2, true});
    if (geraet->seriennummer)
        zeilen.append({QStringLiteral("Seriennummer"), *geraet->seriennummer, true});
    if (akku) {
        QStringList teile;
        if (const auto prozent = zustandProzent(*akku))
            teile.append(QString::number(*prozent) + u" %");
        if (akku->zyklen)
            teile.append(QString::number(*akku->zyklen) + u" Ladezyklen");
        zeilen.append({QStringLiteral("Akku"),
                       teile.isEmpty() ? QStringLiteral("nicht lesbar") : teile.join(u" · "), false});
    }
    zeilen.append(panicZeilen(panicAnzahl, panicBefund));
    return zeilen;
}

Ansicht ansichtFuer(const Zustand& zustand) {
    Ansicht ansicht;
    ansicht.untertitel = untertitelFuer(zustand.werkstatt, zustand.ziel);
    ansicht.optionAn = zustand.kopplungEntfernen;
    // While a new link is checked, the previous check's step offers nothing, retry included.
    if (zustand.linkWirdGeprueft) {
        ansicht.fortschritt = QStringLiteral("Link wird bei Werkora geprüft …");
        ansicht.reihenfolge = {Baustein::fortschritt};
        ansicht.ansage = *ansicht.fortschritt;
        return ansicht;
    }
    const QList<Rasterzeile> raster =
        rasterFuer(zustand.geraet, zustand.akku, zustand.panicAnzahl, zustand.panicBefund);

    const auto warnung = [&] {
        ansicht.meldung = Meldung{Symbol::warnung, Farbrolle::orange, zustand.schritt.text()};
        ansicht.reihenfolge = {Baustein::meldung};
    };
    const auto warten = [&](QString text) {
        ansicht.fortschritt = std::move(text);
        ansicht.hinweis = zustand.hinweis;
        ansicht.reihenfolge = {Baustein::fortschritt, Baustein::optionen};
        if (zustand.hinweis)
            ansicht.reihenfolge.insert(1, Baustein::hinweis);
        ansicht.abstand = 14;
    };

    switch (zustand.schritt.fall()) {
    case Schritt::Fall::ohneLink:
        ansicht.meldung = Meldung{
            Symbol::klicken, Farbrolle::sekundaer,
            QStringLiteral(
                "In Werkora im Prüfassistenten auf „Per Kabel“ klicken. Dieses Fenster öffnet sich dann von selbst.")};
        ansicht.reihenfolge = {Baustein::meldung};
        break;
    case Schritt::Fall::linkUngueltig:
        warnung();
        break;
    case Schritt::Fall::wartetAufGeraet:
        warten(zustand.mac
                   ? QStringLiteral("iPhone per Kabel an diesen Mac anschließen und entsperren.")
                   : QStringLiteral("iPhone per Kabel an diesen Computer anschließen und entsperren."));
        break;
    case Schritt::Fall::wartetAufVertrauen:
        warten(QStringLiteral(
            "Auf dem iPhone „Diesem Computer vertrauen?“ mit „Vertrauen“ bestätigen und den Code eingeben."));
        break;
    case Schritt::Fall::liest:
        ansicht.fortschritt = QStringLiteral("Lese Gerätedaten, Akku und Panic-Logs …");
        ansicht.reihenfolge = {Baustein::fortschritt};
        if (zustand.kopierfortschritt) {
            ansicht.kopierfortschritt = zustand.kopierfortschritt;
            ansicht.reihenfolge.append(Baustein::kopierfortschritt);
            ansicht.abstand = 14;
        }
        break;
    case Schritt::Fall::sendet:
        ansicht.fortschritt = QStringLiteral("Sende an Werkora …");
        ansicht.raster = raster;
        ansicht.reihenfolge = {Baustein::raster, Baustein::fortschritt};
        ansicht.abstand = 14;
        break;
    case Schritt::Fall::fertig:
        ansicht.meldung = Meldung{Symbol::erledigt, Farbrolle::gruen,
                                  zustand.schritt.text() +
                                      u" In Werkora geht es weiter, dieses Fenster kann offen bleiben."};
        ansicht.raster = raster;
        ansicht.reihenfolge = {Baustein::meldung, Baustein::raster};
        ansicht.abstand = 14;
        break;
    case Schritt::Fall::fehler:
        warnung();
        ansicht.reihenfolge.append(Baustein::erneutVersuchen);
        ansicht.abstand = 12;
        break;
    }
    if (ansicht.raster.isEmpty())
        ansicht.reihenfolge.removeAll(Baustein::raster);
    ansicht.ansage = ansicht.meldung ? ansicht.meldung->text : ansicht.fortschritt.value_or(QString());
    if (ansicht.hinweis)
        ansicht.ansage += u' ' + *ansicht.hinweis;
    return ansicht;
}

} // namespace kabel
