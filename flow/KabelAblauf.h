#pragma once

#include "Hinweise.h"
#include "Schritt.h"
#include "device/Akkudaten.h"
#include "device/Geraetedaten.h"
#include "device/Geraetezugriff.h"
#include "device/Panicbefund.h"
#include "device/Usbsicht.h"

#include <QObject>
#include <QString>
#include <QThread>
#include <QThreadPool>
#include <QTimer>
#include <QUrl>
#include <chrono>
#include <memory>
#include <optional>

class QNetworkAccessManager;

namespace kabel {

class Abbruch;

// The controller of a check: holds every piece of state of the check under way and moves it from
// step to step. One instance per process, bound to the UI thread: every property is read and
// written there only, so no locks exist.
//
// Observing: every write of a published property (schritt, linkWirdGeprueft, hinweis,
// kopierfortschritt, ziel, werkstatt, geraet, akku, panicAnzahl, panicBefund; the panic texts
// themselves are only sent) stores the value, then emits geaendert(). The step, the hint and the
// copy's progress are not written again unchanged, so the passes of the device loop stay quiet.
//
// Device work: every device operation runs in a pool of one thread, one at a time and in order, so
// the tools of two checks never overlap; the device loop itself lives here on the UI thread (a
// pass, then a pause timer, then the next pass).
//
// Superseded checks: each opened link and each start of the device phase begins a new check with
// a new number (m_pruefung) and a new Abbruch. The lookup, every device operation and the report
// carry the number of the check they belong to. Device work of an older check that has not
// started is skipped and its running tool is killed, and an outcome that arrives for an older
// check is dropped whole: it writes no property, starts nothing, sends nothing and removes no
// pairing.
class KabelAblauf : public QObject {
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds standardPause{1200};
    // A wait for a phone or its trust that sees no change for this long ends (the text says 15 minutes).
    static constexpr std::chrono::milliseconds standardOhneFortschritt{std::chrono::minutes(15)};

    // `netz` sends every request to Werkora; `zugriff` reaches the device (a Libimobiledevice when
    // none is given); `pause` is the wait between two passes of the device loop; `usb` shows the
    // phones on the USB bus for the hints while none is listed (the system's device list when none
    // is given); `ohneFortschritt` is how long a wait may go without a change.
    explicit KabelAblauf(QNetworkAccessManager& netz, std::shared_ptr<const Geraetezugriff> zugriff = {},
                         std::chrono::milliseconds pause = standardPause,
                         std::shared_ptr<const Usbsicht> usb = {},
                         std::chrono::milliseconds ohneFortschritt = standardOhneFortschritt,
                         QObject* parent = nullptr);
    // Kills the running tool and waits for the device work, which then ends at once.
    ~KabelAblauf() override;

    // Published properties.
    const Schritt& schritt() const { return m_schritt; }
    // From an accepted link until Werkora has answered for it; the step is that of the previous
    // check meanwhile, and nothing of that check acts any more.
    bool linkWirdGeprueft() const { return m_linkWirdGeprueft; }
    // What the technician can do while the check waits for a phone or its trust, if anything.
    const std::optional<QString>& hinweis() const { return m_hinweis; }
    // While the phone is read, how far the copy of its crash reports has got.
    const std::optional<QString>& kopierfortschritt() const { return m_kopierfortschritt; }
    const std::optional<QUrl>& ziel() const { return m_ziel; }
    const std::optional<QString>& werkstatt() const { return m_werkstatt; }
    const std::optional<Geraetedaten>& geraet() const { return m_geraet; }
    const std::optional<Akkudaten>& akku() const { return m_akku; }
    qint64 panicAnzahl() const { return m_panicAnzahl; }
    // What the logs read say: the last panic, its reason, missing sensors, empty and unreadable logs.
    const Panicbefund& panicBefund() const { return m_panicBefund; }

    // The stored option "kopplungEntfernen" (default true), read from and written to the
    // per-user settings at once. Not published: writing it announces nothing.
    bool kopplungEntfernen() const;
    void setKopplungEntfernen(bool an);

    // Starts a new check with a link delivered by the platform.
    void linkOeffnen(const QUrl& link);
    // Sets wartetAufGeraet and starts the device phase afresh (after the lookup, and for retry),
    // but only for a link Werkora has confirmed; otherwise it does nothing.
    void sucheStarten();

Q_SIGNALS:
    // Emitted after each write of a published property.
    void geaendert();
    // A trusted phone was found and is about to be read: the window should be in front by now.
    void lesenBeginnt();

private:
    // Every write of a published property. UI thread only.
    template <typename T> void schreiben(T& feld, T wert) {
        Q_ASSERT(QThread::currentThread() == thread());
        feld = std::move(wert);
        Q_EMIT geaendert();
    }
    void schrittSetzen(Schritt schritt);

    // A new check: older device work is ended and the device loop stops.
    void neuePruefung();
    // Runs `arbeit` in the device pool, then `weiter` with its result here, unless the check has
    // been superseded meanwhile.
    template <typename Arbeit, typename Weiter> void amGeraet(Arbeit arbeit, Weiter weiter);

    void sitzungLaden(quint64 pruefung);
    void durchgang();
    void geraeteGelistet(const Ergebnis<QStringList>& geraete, const std::optional<QList<Usbmodus>>& usb);
    void vertrauenGeprueft(const QString& udid, const Ergebnis<Kopplung>& kopplung);
    void kopplungsantwort(const Ergebnis<Kopplung>& kopplung);
    void hinweisSetzen(const std::optional<Hinweis>& hinweis);
    void kopierfortschrittSetzen(std::optional<QString> text);
    void auslesen(const QString& udid);
    void senden(const std::expected<QByteArray, QString>& bericht, const QString& udid);
    void berichtAngenommen(const QString& udid);
    bool istAktuell(quint64 pruefung) const { return pruefung == m_pruefung; }

    QNetworkAccessManager& m_netz;
    std::shared_ptr<const Geraetezugriff> m_zugriff;
    std::shared_ptr<const Usbsicht> m_usb;
    QThreadPool m_geraetearbeit; // one thread
    QTimer m_pause;
    std::chrono::milliseconds m_ohneFortschritt;
    quint64 m_pruefung = 0;
    std::shared_ptr<Abbruch> m_abbruch; // ends the tools of check m_pruefung
    bool m_linkBestaetigt = false;      // Werkora answered 200 for the current link
    bool m_kopplungVersucht = false;    // a pairing request was made for the phone now attached
    std::optional<Wartelage> m_lage;    // what the device loop of this check has seen

    Schritt m_schritt = Schritt::ohneLink();
    bool m_linkWirdGeprueft = false;
    std::optional<QString> m_hinweis;
    std::optional<QString> m_kopierfortschritt;
    std::optional<QUrl> m_ziel;
    std::optional<QString> m_werkstatt;
    std::optional<Geraetedaten> m_geraet;
    std::optional<Akkudaten> m_akku;
    qint64 m_panicAnzahl = 0;
    Panicbefund m_panicBefund;
};

} // namespace kabel
