// Renders the window for every step and the variants of the data grid into PNG files, for review
// and for the documentation. Usage: kabel_screenshots <output directory>
#include "app/Ansichtsbeschreibung.h"
#include "app/KabelAnsicht.h"
#include "flow/KabelAblauf.h"

#include <QApplication>
#include <QDir>
#include <QNetworkAccessManager>
#include <QPixmap>
#include <QStandardPaths>

using namespace kabel;

namespace {

Geraetedaten vollesGeraet() {
    return {QStringLiteral("iPhone14,5"),      QStringLiteral("17.4.1"),
            QStringLiteral("F2LXK0Q7N72J"),    QStringLiteral("356789104512334"),
            QStringLiteral("356789104598761"), QStringLiteral("Activated")};
}

Zustand mitLink(Schritt schritt) {
    Zustand zustand;
    zustand.schritt = std::move(schritt);
    zustand.ziel = QUrl(QStringLiteral("https://muster.werkora.de/api/public/kabel/3f9c2a"));
    zustand.werkstatt = QStringLiteral("Handyklinik Mitte");
    return zustand;
}

Zustand mitDaten(Schritt schritt) {
    Zustand zustand = mitLink(std::move(schritt));
    zustand.geraet = vollesGeraet();
    zustand.akku = Akkudaten{523, 3227, 2808, 29.5};
    zustand.panicAnzahl = 2;
    return zustand;
}

Panicbefund panicBefundMit(const QString& grund, qint64 gleicherGrund, const QStringList& sensoren) {
    Panicbefund befund;
    befund.letzte = Panicbefund::Letzte{{QDate(2024, 3, 15), QTime(14, 22, 1), 0},
                                        u"panic(cpu 1 caller 0xfffffff01a2b3c4d): " + grund,
                                        grund,
                                        gleicherGrund,
                                        QDate(2024, 3, 12)};
    befund.fehlendeSensoren = sensoren;
    return befund;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    const QDir ziel(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));

    QList<std::pair<QString, Zustand>> bilder;
    bilder.append({QStringLiteral("01-ohne-link"), Zustand{}});
    {
        Zustand zustand;
        zustand.schritt = Schritt::linkUngueltig(QStringLiteral(
            "Dieser Link stammt nicht von einer Werkora-Instanz. Aus Sicherheitsgründen wird nichts gelesen."));
        bilder.append({QStringLiteral("02-link-ungueltig"), zustand});
    }
    bilder.append({QStringLiteral("03-wartet-auf-geraet"), mitLink(Schritt::wartetAufGeraet())});
    {
        Zustand zustand = mitLink(Schritt::wartetAufGeraet());
        zustand.mac = true;
        zustand.kopplungEntfernen = false;
        bilder.append({QStringLiteral("04-wartet-auf-geraet-mac-option-aus"), zustand});
    }
    bilder.append({QStringLiteral("05-wartet-auf-vertrauen"), mitLink(Schritt::wartetAufVertrauen())});
    bilder.append({QStringLiteral("06-liest"), mitLink(Schritt::liest())});
    bilder.append({QStringLiteral("07-sendet"), mitDaten(Schritt::sendet())});
    bilder.append({QStringLiteral("08-fertig"),
                   mitDaten(Schritt::fertig(
                       QStringLiteral("An Werkora gesendet. Die Kopplung mit dem iPhone wurde entfernt.")))});
    bilder.append({QStringLiteral("09-fehler"),
                   mitDaten(Schritt::fehler(QStringLiteral(
                       "Das iPhone antwortet nicht. Bitte entsperrt lassen und erneut versuchen.")))});
    bilder.append(
        {QStringLiteral("10-fehler-langer-text"),
         mitLink(Schritt::fehler(QStringLiteral(
             "Senden fehlgeschlagen: Error transferring https://muster.werkora.de/api/public/kabel/3f9c2a - server replied: Service Unavailable. Der Dienst ist wegen Wartungsarbeiten vorübergehend nicht erreichbar, bitte versuchen Sie es in einigen Minuten noch einmal.")))});
    {
        Zustand zustand = mitDaten(Schritt::fertig(QStringLiteral("An Werkora gesendet.")));
        zustand.geraet = Geraetedaten{
            QStringLiteral("iPad13,1"), std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt};
        zustand.akku = Akkudaten{523, std::nullopt, std::nullopt, std::nullopt};
        zustand.panicAnzahl = 0;
        bilder.append({QStringLiteral("11-raster-ohne-imei-nur-zyklen"), zustand});
    }
    {
        Zustand zustand = mitDaten(Schritt::sendet());
        zustand.akku = Akkudaten{};
        zustand.geraet->imei2.reset();
        bilder.append({QStringLiteral("12-raster-akku-leer"), zustand});
    }
    {
        Zustand zustand = mitDaten(Schritt::sendet());
        zustand.akku.reset();
        zustand.panicAnzahl = 10;
        bilder.append({QStringLiteral("13-raster-ohne-akku"), zustand});
    }
    {
        Zustand zustand = mitLink(Schritt::sendet());
        bilder.append({QStringLiteral("14-sendet-ohne-geraet"), zustand});
    }
    {
        Zustand zustand = mitLink(Schritt::liest());
        zustand.werkstatt = QStringLiteral(
            "Reparaturwerkstatt für Mobiltelefone und Tablets Dr. Friedrich-Wilhelm Schulze-Oberhausen GmbH & Co. KG");
        bilder.append({QStringLiteral("15-untertitel-gekuerzt"), zustand});
    }
    {
        Zustand zustand;
        zustand.schritt = Schritt::wartetAufGeraet();
        zustand.ziel = QUrl(QStringLiteral("http://127.0.0.1:8080/api/public/kabel/token"));
        bilder.append({QStringLiteral("16-untertitel-nur-host"), zustand});
    }
    // The lines under a waiting step and the copy's progress under the reading step.
    const auto mitHinweis = [](Schritt schritt, const QString& hinweis) {
        Zustand zustand = mitLink(std::move(schritt));
        zustand.hinweis = hinweis;
        return zustand;
    };
    bilder.append(
        {QStringLiteral("17-hinweis-datenkabel"),
         mitHinweis(
             Schritt::wartetAufGeraet(),
             QStringLiteral(
                 "Noch kein iPhone am USB erkannt. Steckt es schon, bitte ein Datenkabel verwenden, kein reines Ladekabel."))});
    bilder.append(
        {QStringLiteral("18-hinweis-usbmuxd"),
         mitHinweis(
             Schritt::wartetAufGeraet(),
             QStringLiteral(
                 "Das iPhone ist am USB erkannt, aber der iPhone-USB-Dienst meldet es nicht. Kabel kurz abziehen oder „sudo systemctl restart usbmuxd“ ausführen."))});
    bilder.append(
        {QStringLiteral("19-hinweis-dfu"),
         mitHinweis(
             Schritt::wartetAufGeraet(),
             QStringLiteral(
                 "Das iPhone ist im Wiederherstellungs- oder DFU-Modus. Bitte normal starten, dann geht es weiter."))});
    bilder.append(
        {QStringLiteral("20-hinweis-kopplungsfehler"),
         mitHinweis(Schritt::wartetAufVertrauen(),
                    QStringLiteral(
                        "Kopplung fehlgeschlagen (Fehler -5). Kabel kurz abziehen und wieder einstecken."))});
    bilder.append(
        {QStringLiteral("21-ohne-fortschritt-beendet"),
         mitLink(Schritt::fehler(QStringLiteral(
             "Die Prüfung wurde nach 15 Minuten ohne Fortschritt beendet. Zum Fortsetzen „Erneut versuchen“ drücken.")))});
    {
        Zustand zustand = mitLink(Schritt::liest());
        zustand.kopierfortschritt = QStringLiteral("37 Berichte vom iPhone kopiert (640 kB) …");
        bilder.append({QStringLiteral("22-liest-kopierfortschritt"), zustand});
    }
    {
        Zustand zustand = mitDaten(Schritt::fertig(QStringLiteral("An Werkora gesendet.")));
        zustand.panicAnzahl = 5;
        zustand.panicBefund = panicBefundMit(
            QStringLiteral(
                "userspace watchdog timeout: no successful checkins from thermalmonitord in 180 seconds"),
            3, {QStringLiteral("Prs0"), QStringLiteral("Mic1")});
        zustand.panicBefund.leer = zustand.panicBefund.unlesbar = 1;
        bilder.append({QStringLiteral("23-panic-grund-wiederholt-sensoren"), zustand});
    }
    {
        Zustand zustand = mitDaten(Schritt::sendet());
        zustand.panicAnzahl = 3;
        zustand.panicBefund = panicBefundMit(
            QStringLiteral("i2c0::_checkInterrupts error interrupt 0x… on bus 0 while the charger "
                           "controller answered with status 0x12 after the third retry of the read"),
            1, {QStringLiteral("TG0B")});
        zustand.panicBefund.leer = 1;
        bilder.append({QStringLiteral("24-panic-langer-grund-akku"), zustand});
    }
    {
        Zustand zustand = mitDaten(Schritt::fertig(QStringLiteral("An Werkora gesendet.")));
        zustand.panicAnzahl = 2;
        zustand.panicBefund.unlesbar = 2;
        bilder.append({QStringLiteral("25-panic-nicht-lesbar"), zustand});
    }

    QNetworkAccessManager netz;
    KabelAblauf ablauf(netz);
    KabelAnsicht ansicht(ablauf);
    ansicht.show();
    for (const auto& [name, zustand] : bilder) {
        ansicht.darstellen(ansichtFuer(zustand));
        QApplication::processEvents();
        if (!ansicht.grab().save(ziel.filePath(name + u".png")))
            return 1;
    }
    return 0;
}
