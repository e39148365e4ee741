#include "KabelAblauf.h"

#include "Bericht.h"
#include "Hinweise.h"
#include "Lesung.h"
#include "Linkpruefung.h"
#include "Logkategorie.h"
#include "Werkoraantwort.h"
#include "Werkoraclient.h"
#include "device/Abbruch.h"
#include "device/Libimobiledevice.h"
#include "device/Udevsicht.h"
#include "flow/Konfiguration.h"

#include <QFuture>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPromise>
#include <QSettings>

namespace kabel {

Q_LOGGING_CATEGORY(logAblauf, "kabel.flow", QtInfoMsg)

namespace {

const auto kopplungSchluessel = QStringLiteral("kopplungEntfernen");

#ifdef Q_OS_MACOS
constexpr bool usbmuxdImSystem = true;
#else
constexpr bool usbmuxdImSystem = false;
#endif

Wartelage::Zeit jetzt() {
    return std::chrono::duration_cast<Wartelage::Zeit>(std::chrono::steady_clock::now().time_since_epoch());
}

} // namespace

void KabelAblauf::schrittSetzen(Schritt schritt) {
    if (schritt.fall() == m_schritt.fall() && schritt.text() == m_schritt.text())
        return; // passes that change nothing emit nothing
    qCDebug(logAblauf) << "Schritt" << fallName(schritt.fall());
    schreiben(m_schritt, std::move(schritt));
}

KabelAblauf::KabelAblauf(QNetworkAccessManager& netz, std::shared_ptr<const Geraetezugriff> zugriff,
                         std::chrono::milliseconds pause, std::shared_ptr<const Usbsicht> usb,
                         std::chrono::milliseconds ohneFortschritt, QObject* parent)
    : QObject(parent), m_netz(netz),
      m_zugriff(zugriff ? std::move(zugriff) : std::make_shared<Libimobiledevice>()),
      m_usb(usb ? std::move(usb) : std::make_shared<Udevsicht>()), m_ohneFortschritt(ohneFortschritt),
      m_abbruch(std::make_shared<Abbruch>()) {
    m_geraetearbeit.setMaxThreadCount(1);
    m_pause.setSingleShot(true);
    m_pause.setInterval(pause);
    connect(&m_pause, &QTimer::timeout, this, &KabelAblauf::durchgang);
}

KabelAblauf::~KabelAblauf() {
    m_abbruch->beenden();
    m_geraetearbeit.waitForDone();
}

bool KabelAblauf::kopplungEntfernen() const {
    return QSettings().value(kopplungSchluessel, true).toBool();
}

void KabelAblauf::setKopplungEntfernen(bool an) {
    QSettings einstellungen;
    einstellungen.setValue(kopplungSchluessel, an);
    einstellungen.sync();
}

void KabelAblauf::neuePruefung() {
    ++m_pruefung;
    m_abbruch->beenden();
    m_abbruch = std::make_shared<Abbruch>();
    m_pause.stop();
    m_lage.reset();
    hinweisSetzen(std::nullopt);
    kopierfortschrittSetzen(std::nullopt);
}

template <typename Arbeit, typename Weiter> void KabelAblauf::amGeraet(Arbeit arbeit, Weiter weiter) {
    using Wert = std::invoke_result_t<Arbeit, const Geraetezugriff&>;
    // Both steps are chained before the work may start: a continuation attached to work already
    // done would run at once, inside the caller, and not in a later turn.
    QPromise<void> los;
    los.future()
        .then(&m_geraetearbeit,
              [zugriff = m_zugriff, abbruch = m_abbruch, arbeit = std::move(arbeit)] {
                  // Skipped for a superseded check: not all of it runs in tools, which ending a check kills.
                  if (abbruch->beendet())
                      return std::optional<Wert>();
                  const Abbruch::Zuordnung zuordnung(abbruch); // its tools belong to the check
                  return std::optional<Wert>(arbeit(*zugriff));
              })
        .then(this, [this, pruefung = m_pruefung, weiter = std::move(weiter)](std::optional<Wert> ergebnis) {
            if (ergebnis && istAktuell(pruefung))
                weiter(std::move(*ergebnis));
        });
    los.start();
    los.finish();
}

void KabelAblauf::linkOeffnen(const QUrl& link) {
    neuePruefung();
    m_linkBestaetigt = false;
    schreiben(m_geraet, std::optional<Geraetedaten>());
    schreiben(m_akku, std::optional<Akkudaten>());
    schreiben(m_panicAnzahl, qint64(0));
    schreiben(m_panicBefund, Panicbefund());
    schreiben(m_werkstatt, std::optional<QString>());

    std::optional<QUrl> ziel = zielAusLink(link);
    schreiben(m_linkWirdGeprueft, ziel.has_value());
    if (!ziel) {
        schreiben(m_ziel, std::optional<QUrl>());
        schrittSetzen(Schritt::linkUngueltig(QStringLiteral(
            "Dieser Link stammt nicht von einer Werkora-Instanz. Aus Sicherheitsgründen wird nichts gelesen.")));
        return;
    }
    schreiben(m_ziel, std::move(ziel));
    // The step stays as it is until Werkora has answered; meanwhile nothing of the previous check
    // acts, and retry is refused. The lookup runs in the next turn, so of two links opened at
    // once only the second one-time link is asked, and it only once.
    QMetaObject::invokeMethod(
        this, [this, pruefung = m_pruefung] { sitzungLaden(pruefung); }, Qt::QueuedConnection);
}

void KabelAblauf::sitzungLaden(quint64 pruefung) {
    if (!istAktuell(pruefung))
        return;
    beiAntwort(m_netz.get(werkoraAnfrage(*m_ziel)), this, [this, pruefung](const Antwort& antwort) {
        if (!istAktuell(pruefung))
            return;
        schreiben(m_linkWirdGeprueft, false);
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
        m_linkBestaetigt = true;
        sucheStarten();
    });
}

void KabelAblauf::sucheStarten() {
    // Only ever for a link Werkora confirmed: not for a refused one, nor while a new one is checked.
    if (!m_linkBestaetigt)
        return;
    neuePruefung();
    schrittSetzen(Schritt::wartetAufGeraet());
    m_kopplungVersucht = false;
    m_lage.emplace(jetzt(), usbmuxdImSystem);
    durchgang();
}

// One pass of the device loop: list the devices; with exactly one, test its trust and ask it once
// per attachment for the pairing; pause before the next pass. Without a phone listed the USB bus
// is looked at too, for what the hint can tell the technician.
void KabelAblauf::durchgang() {
    // A wait nobody attends ends before a phone plugged in much later is read: it may be meant
    // for another job. Retry or a new link starts afresh.
    if (jetzt() - m_lage->letzteAenderung() >= m_ohneFortschritt) {
        qCDebug(logAblauf) << "Warten ohne Fortschritt beendet";
        m_lage.reset();
        hinweisSetzen(std::nullopt);
        schrittSetzen(Schritt::fehler(QStringLiteral(
            "Die Prüfung wurde nach 15 Minuten ohne Fortschritt beendet. Zum Fortsetzen „Erneut versuchen“ drücken.")));
        return;
    }
    amGeraet(
        [usb = m_usb](const Geraetezugriff& zugriff) {
            Ergebnis<QStringList> geraete = zugriff.geraete();
            std::optional<QList<Usbmodus>> bus;
            if (!geraete || geraete->isEmpty())
                bus = usb->appleGeraete();
            return std::pair(std::move(geraete), std::move(bus));
        },
        [this](const std::pair<Ergebnis<QStringList>, std::optional<QList<Usbmodus>>>& gesehen) {
            geraeteGelistet(gesehen.first, gesehen.second);
        });
}

void KabelAblauf::geraeteGelistet(const Ergebnis<QStringList>& geraete,
                                  const std::optional<QList<Usbmodus>>& usb) {
    const bool keines = !geraete || geraete->isEmpty();
    std::optional<Hinweis> hinweis = m_lage->gelistet(jetzt(), geraete, usb);
    // A failed listing (tool missing, say) counts as no device: keep waiting, with the hint. With
    // several phones none is asked or read: which one is meant, nothing can tell, and the one
    // charging beside it may be a customer's. A killed listing says nothing new, so the hint stays.
    if (keines || geraete->size() > 1) {
        if (geraete || !std::holds_alternative<Abgebrochen>(geraete.error()))
            hinweisSetzen(hinweis);
        schrittSetzen(Schritt::wartetAufGeraet());
        m_kopplungVersucht = false;
        m_pause.start();
        return;
    }
    const QString udid = geraete->first();
    amGeraet([udid](const Geraetezugriff& zugriff) { return zugriff.istGekoppelt(udid); },
             [this, udid](const Ergebnis<Kopplung>& kopplung) { vertrauenGeprueft(udid, kopplung); });
}

void KabelAblauf::kopplungsantwort(const Ergebnis<Kopplung>& kopplung) {
    // A killed test says nothing new, so the hint stays.
    if (!kopplung && std::holds_alternative<Abgebrochen>(kopplung.error()))
        return;
    hinweisSetzen(m_lage->vertrauen(jetzt(), kopplung));
}

void KabelAblauf::vertrauenGeprueft(const QString& udid, const Ergebnis<Kopplung>& kopplung) {
    if (kopplung && kopplung->stand == Kopplung::gekoppelt) {
        hinweisSetzen(std::nullopt);
        auslesen(udid);
        return;
    }
    kopplungsantwort(kopplung);
    // A test that could not run (tool missing) is no answer of the phone: no pairing request.
    if (!kopplung) {
        m_pause.start();
        return;
    }
    schrittSetzen(Schritt::wartetAufVertrauen());
    if (m_kopplungVersucht) {
        m_pause.start();
        return;
    }
    // One request per attachment: the phone shows its trust dialog, and asking again while it is
    // up would only stack dialogs. What the phone answers to the request is what this pass saw.
    m_kopplungVersucht = true;
    amGeraet([udid](const Geraetezugriff& zugriff) { return zugriff.koppeln(udid); },
             [this](const Ergebnis<Kopplung>& antwort) {
                 // Trusted at once: the next trust test finds it so and reads.
                 if (!antwort || antwort->stand != Kopplung::gekoppelt)
                     kopplungsantwort(antwort);
                 m_pause.start();
             });
}

void KabelAblauf::hinweisSetzen(const std::optional<Hinweis>& hinweis) {
    std::optional<QString> text = hinweis ? std::optional(hinweis->text) : std::nullopt;
    if (text == m_hinweis) // passes that change nothing emit nothing
        return;
    qCDebug(logAblauf) << "Hinweis" << (hinweis ? hinweis->art : "keiner");
    schreiben(m_hinweis, std::move(text));
}

void KabelAblauf::kopierfortschrittSetzen(std::optional<QString> text) {
    if (text != m_kopierfortschritt)
        schreiben(m_kopierfortschritt, std::move(text));
}

void KabelAblauf::auslesen(const QString& udid) {
    schrittSetzen(Schritt::liest());
    Q_EMIT lesenBeginnt();
    const QString programm = programmText(QString::fromUtf8(konfiguration::programmVersion));
    // The copy's progress comes from the device pool; shown here, and only while this check reads.
    // The controller outlives the pool's work, so it can be posted to.
    const auto melden = [this, pruefung = m_pruefung](const Kopierstand& stand) {
        QMetaObject::invokeMethod(
            this,
            [this, pruefung, stand] {
                if (istAktuell(pruefung) && m_schritt.fall() == Schritt::Fall::liest)
                    kopierfortschrittSetzen(kopierText(stand));
            },
            Qt::QueuedConnection);
    };
    amGeraet([udid, programm,
              melden](const Geraetezugriff& zugriff) { return geraetLesen(zugriff, udid, programm, melden); },
             [this, udid](Leseergebnis ergebnis) {
                 kopierfortschrittSetzen(std::nullopt);
                 if (!ergebnis) {
                     schrittSetzen(Schritt::fehler(beschreibung(ergebnis.error())));
                     return;
                 }
                 schreiben(m_geraet, std::optional<Geraetedaten>(std::move(ergebnis->geraet)));
                 schreiben(m_akku, std::move(ergebnis->akku));
                 schreiben(m_panicAnzahl, ergebnis->panicAnzahl);
                 schreiben(m_panicBefund, std::move(ergebnis->panicBefund));
                 senden(ergebnis->bericht, udid);
             });
}

void KabelAblauf::senden(const std::expected<QByteArray, QString>& bericht, const QString& udid) {
    schrittSetzen(Schritt::sendet());
    if (!bericht) {
        schrittSetzen(Schritt::fehler(u"Senden fehlgeschlagen: " + bericht.error()));
        return;
    }
    QNetworkRequest anfrage = werkoraAnfrage(*m_ziel);
    anfrage.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    beiAntwort(m_netz.post(anfrage, *bericht), this,
               [this, pruefung = m_pruefung, udid](const Antwort& antwort) {
                   if (!istAktuell(pruefung))
                       return;
                   if (!antwort.status)
                       schrittSetzen(Schritt::fehler(u"Senden fehlgeschlagen: " + antwort.fehlertext));
                   else if (*antwort.status != 200)
                       schrittSetzen(Schritt::fehler(ablehnungsgrund(antwort.inhalt)));
                   else
                       berichtAngenommen(udid);
               });
}

void KabelAblauf::berichtAngenommen(const QString& udid) {
    const auto abschliessen = [this](std::optional<bool> entfernt) {
        // Only what happened is reported: a removal that failed is not called a success.
        schrittSetzen(Schritt::fertig(
            !entfernt ? QStringLiteral("An Werkora gesendet.")
            : *entfernt
                ? QStringLiteral("An Werkora gesendet. Die Kopplung mit dem iPhone wurde entfernt.")
                : QStringLiteral(
                      "An Werkora gesendet. Die Kopplung mit dem iPhone konnte nicht entfernt werden.")));
    };
    if (!kopplungEntfernen()) {
        abschliessen(std::nullopt);
        return;
    }
    // In the device pool, so a phone that hangs cannot freeze the window; the step becomes
    // fertig once the removal has ended (a silent tool is ended after 30 s).
    amGeraet([udid](const Geraetezugriff& zugriff) { return zugriff.entkoppeln(udid); }, abschliessen);
}

} // namespace kabel
