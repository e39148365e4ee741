#pragma once

#include "Bericht.h"
#include "Schritt.h"
#include "device/Akkudaten.h"
#include "device/Geraetedaten.h"
#include "device/Geraetezugriff.h"
#include "device/PanicLog.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QThread>
#include <QUrl>
#include <chrono>
#include <memory>
#include <optional>

namespace kabel {

class UiBruecke;

// The controller of a check: holds every piece of state of the check under way and moves it from
// step to step. One instance per process, bound to the UI thread: every property is read and
// written there only, so no locks exist.
//
// Observing: every write of a published property (schritt, ziel, werkstatt, geraet, akku, panic,
// panicAnzahl) first emits wirdGeaendert(), then stores the value, also when the value is equal.
// A slot connected directly therefore still sees the old values. An observer that wants the new
// values reacts later in the same event-loop turn's aftermath: the window connects with a queued
// connection (or a zero-timer) and redraws once per event-loop turn from the getters.
//
// Overlapping checks: each opened link gets a sequence number (m_linkNummer, UI thread only).
// The lookup, the read job and the report carry the number of the link they belong to; an outcome
// that arrives after a newer link was opened is dropped whole: it writes no property, starts no
// device phase, sends nothing and removes no pairing.
class KabelAblauf : public QObject {
    Q_OBJECT

public:
    using Schritt = kabel::Schritt;
    using Paket = kabel::Paket;

    static constexpr std::chrono::milliseconds standardPause{1200};

    // `zugriff` reaches the device (a Libimobiledevice when none is given); `pause` is the wait
    // between two passes of the device loop.
    explicit KabelAblauf(std::shared_ptr<const Geraetezugriff> zugriff = {},
                         std::chrono::milliseconds pause = standardPause, QObject* parent = nullptr);
    ~KabelAblauf() override;

    // Published properties.
    const Schritt& schritt() const { return m_schritt; }
    const std::optional<QUrl>& ziel() const { return m_ziel; }
    const std::optional<QString>& werkstatt() const { return m_werkstatt; }
    const std::optional<Geraetedaten>& geraet() const { return m_geraet; }
    const std::optional<Akkudaten>& akku() const { return m_akku; }
    const QList<PanicLog>& panic() const { return m_panic; }
    qint64 panicAnzahl() const { return m_panicAnzahl; }

    // The UDID of the device found trusted by the device phase; never cleared. Not published.
    const std::optional<QString>& udid() const { return m_udid; }

    // The stored option "kopplungEntfernen" (default true), read from and written to the
    // per-user settings at once. Not published: writing it announces nothing.
    bool kopplungEntfernen() const;
    void setKopplungEntfernen(bool an);

    // Starts a new check with a link delivered by the platform.
    void linkOeffnen(const QUrl& link);
    // Sets wartetAufGeraet and starts the device phase afresh (after the lookup, and for retry).
    void sucheStarten();

Q_SIGNALS:
    // Announced before each write of a published property; read the new values later.
    void wirdGeaendert();

private:
    class Suchlauf;

    // Every write of a published property: announce, then store. UI thread only.
    template <typename T> void schreiben(T& feld, T wert) {
        Q_ASSERT(QThread::currentThread() == thread());
        Q_EMIT wirdGeaendert();
        feld = std::move(wert);
    }
    void schrittSetzen(Schritt schritt) { schreiben(m_schritt, std::move(schritt)); }

    // The workshop lookup for link `nummer`; a lookup whose link was replaced before it ran does
    // nothing, so a one-time link is never asked for twice.
    void sitzungLaden(quint64 nummer);
    void auslesen(const QString& udid);
    void senden();
    void berichtSenden(quint64 nummer, QUrl ziel, QString version, Geraetedaten geraet);
    void berichtAngenommen();
    // Whether an outcome that belongs to link `nummer` may still change anything.
    bool istAktuell(quint64 nummer) const { return nummer == m_linkNummer; }

    std::shared_ptr<const Geraetezugriff> m_zugriff;
    std::chrono::milliseconds m_pause;
    std::shared_ptr<UiBruecke> m_bruecke;
    std::shared_ptr<Suchlauf> m_suche;
    quint64 m_linkNummer = 0;

    Schritt m_schritt = Schritt::ohneLink();
    std::optional<QUrl> m_ziel;
    std::optional<QString> m_werkstatt;
    std::optional<Geraetedaten> m_geraet;
    std::optional<Akkudaten> m_akku;
    QList<PanicLog> m_panic;
    qint64 m_panicAnzahl = 0;
    std::optional<QString> m_udid;
};

} // namespace kabel
