#include "KabelAblauf.h"

#include "Lesung.h"
#include "Linkpruefung.h"
#include "Suchlauf.h"
#include "UiBruecke.h"
#include "Werkoraclient.h"
#include "Werkstattantwort.h"
#include "device/Libimobiledevice.h"
#include "flow/Konfiguration.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QSettings>
#include <QThread>
#include <thread>

namespace kabel {

namespace {

const auto kopplungSchluessel = QStringLiteral("kopplungEntfernen");

} // namespace

KabelAblauf::KabelAblauf(std::shared_ptr<const Geraetezugriff> zugriff, std::chrono::milliseconds pause,
                         QObject* parent)
    : QObject(parent), m_zugriff(zugriff ? std::move(zugriff) : std::make_shared<Libimobiledevice>()),
      m_pause(pause), m_bruecke(std::make_shared<UiBruecke>(this)) {}

KabelAblauf::~KabelAblauf() {
    m_bruecke->trennen();
    if (m_suche)
        m_suche->abbrechen();
}

bool KabelAblauf::kopplungEntfernen() const {
    return QSettings().value(kopplungSchluessel, true).toBool();
}

void KabelAblauf::setKopplungEntfernen(bool an) {
    QSettings einstellungen;
    einstellungen.setValue(kopplungSchluessel, an);
    einstellungen.sync();
}

void KabelAblauf::linkOeffnen(const QUrl& link) {
    ++m_linkNummer;
    if (m_suche)
        m_suche->abbrechen();
    schreiben(m_geraet, std::optional<Geraetedaten>());
    schreiben(m_akku, std::optional<Akkudaten>());
    schreiben(m_panic, QList<PanicLog>());
    schreiben(m_panicAnzahl, qint64(0));
    schreiben(m_werkstatt, std::optional<QString>());

    std::optional<QUrl> ziel = zielAusLink(link);
    if (!ziel) {
        schreiben(m_ziel, std::optional<QUrl>());
        schrittSetzen(Schritt::linkUngueltig(QStringLiteral(
            "Dieser Link stammt nicht von einer Werkora-Instanz. Aus Sicherheitsgründen wird nichts gelesen.")));
        return;
    }
    schreiben(m_ziel, std::move(ziel));
    // The step stays as it is until Werkora has answered.
    QMetaObject::invokeMethod(
        this, [this, nummer = m_linkNummer] { sitzungLaden(nummer); }, Qt::QueuedConnection);
}

void KabelAblauf::sitzungLaden(quint64 nummer) {
    if (!m_ziel || !istAktuell(nummer))
        return;
    QNetworkReply* reply = werkoraClient().get(werkoraAnfrage(*m_ziel));
    connect(reply, &QNetworkReply::finished, this, [this, reply, nummer] {
        const Antwort antwort = antwortLesen(*reply);
        if (!istAktuell(nummer))
            return;
        if (!antwort.status) {
            schrittSetzen(Schritt::linkUngueltig(u"Werkora ist nicht erreichbar: " + antwort.fehlertext));
            return;
        }
        if (*antwort.status != 200) {
            schrittSetzen(Schritt::linkUngueltig(QStringLiteral(
                "Der Link ist abgelaufen oder schon benutzt. Bitte in Werkora erneut auf „Per Kabel“ klicken.")));
            return;
        }
        schreiben(m_werkstatt, werkstattAusAntwort(antwort.inhalt));
        sucheStarten();
    });
}

void KabelAblauf::sucheStarten() {
    schrittSetzen(Schritt::wartetAufGeraet());
    if (m_suche)
        m_suche->abbrechen();
    m_suche = Suchlauf::starten(*this);
}

void KabelAblauf::auslesen(const QString& udid) {
    schrittSetzen(Schritt::liest());
    const quint64 nummer = m_linkNummer;
    // The read job is never cancelled; a result for an older link is dropped when it arrives.
    std::thread([zugriff = m_zugriff, bruecke = m_bruecke, udid, nummer, this] {
        Leseergebnis ergebnis = geraetLesen(*zugriff, udid);
        bruecke->posten([this, nummer, ergebnis = std::move(ergebnis)] {
            if (!istAktuell(nummer))
                return;
            if (!ergebnis) {
                schrittSetzen(Schritt::fehler(beschreibung(ergebnis.error())));
                return;
            }
            schreiben(m_geraet, std::optional<Geraetedaten>(ergebnis->geraet));
            schreiben(m_akku, ergebnis->akku);
            schreiben(m_panic, ergebnis->panic);
            schreiben(m_panicAnzahl, qint64(ergebnis->panic.size()));
            senden();
        });
    }).detach();
}

void KabelAblauf::senden() {
    if (!m_ziel || !m_geraet)
        return;
    schrittSetzen(Schritt::sendet());
    const QString version = QString::fromUtf8(konfiguration::programmVersion);
    QMetaObject::invokeMethod(
        this,
        [this, nummer = m_linkNummer, ziel = *m_ziel, version, geraet = *m_geraet] {
            berichtSenden(nummer, ziel, version, geraet);
        },
        Qt::QueuedConnection);
}

void KabelAblauf::berichtSenden(quint64 nummer, QUrl ziel, QString version, Geraetedaten geraet) {
    // A newer link has cleared this reading's data already; nothing is sent for it.
    if (!istAktuell(nummer))
        return;
    const std::expected<QByteArray, QString> body =
        berichtKodieren(Paket{programmText(version), std::move(geraet), m_akku, m_panic});
    if (!body) {
        schrittSetzen(Schritt::fehler(u"Senden fehlgeschlagen: " + body.error()));
        return;
    }

    QNetworkRequest anfrage = werkoraAnfrage(ziel);
    anfrage.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    anfrage.setTransferTimeout(60'000);
    QNetworkReply* reply = werkoraClient().post(anfrage, *body);
    connect(reply, &QNetworkReply::finished, this, [this, reply, nummer] {
        const Antwort antwort = antwortLesen(*reply);
        if (!istAktuell(nummer))
            return;
        if (!antwort.status)
            schrittSetzen(Schritt::fehler(u"Senden fehlgeschlagen: " + antwort.fehlertext));
        else if (*antwort.status != 200)
            schrittSetzen(Schritt::fehler(ablehnungsgrund(antwort.inhalt)));
        else
            berichtAngenommen();
    });
}

void KabelAblauf::berichtAngenommen() {
    const bool entfernen = kopplungEntfernen();
    const QString text =
        entfernen ? QStringLiteral("An Werkora gesendet. Die Kopplung mit dem iPhone wurde entfernt.")
                  : QStringLiteral("An Werkora gesendet.");
    const auto abschliessen = [this, text] {
        schrittSetzen(Schritt::fertig(text));
        schreiben(m_panic, QList<PanicLog>());
    };
    if (!entfernen || !m_udid) {
        abschliessen();
        return;
    }
    // The removal runs off the UI thread so a phone that hangs cannot freeze the window; the step
    // becomes fertig only once it has ended.
    const quint64 nummer = m_linkNummer;
    std::thread([zugriff = m_zugriff, bruecke = m_bruecke, udid = *m_udid, nummer, abschliessen, this] {
        zugriff->entkoppeln(udid);
        bruecke->posten([this, nummer, abschliessen] {
            if (istAktuell(nummer))
                abschliessen();
        });
    }).detach();
}

} // namespace kabel
