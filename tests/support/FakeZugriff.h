#pragma once

#include "device/Geraetezugriff.h"
#include "device/Usbsicht.h"

#include <QRegularExpression>
#include <QSet>
#include <condition_variable>
#include <mutex>
#include <stdexcept>

namespace kabel::test {

// A device answering as set (by default a trusted iPhone14,5 with battery and one panic log, no Apple
// phone on the bus), safe from the device pool, recording calls but the bus as "operation udid". Calls can
// throw, or be held until released or their work ends (as a tool is killed; they then answer as set).
class FakeZugriff final : public Geraetezugriff, public Usbsicht {
public:
    struct Antworten {
        Ergebnis<QStringList> geraete = QStringList{"00008110-001A2B3C4D5E801E"};
        Ergebnis<Kopplung> gekoppelt = Kopplung{Kopplung::gekoppelt};
        Ergebnis<Kopplung> koppeln = Kopplung{Kopplung::gekoppelt};
        Ergebnis<Geraetedaten> geraetedaten = Geraetedaten{"iPhone14,5", "17.5.1", {}, {}, {}, {}};
        Ergebnis<std::optional<Akkudaten>> akku = Akkudaten{523, 3227, 2810, 30.55};
        Ergebnis<QList<PanicLog>> panic = QList<PanicLog>{{"panic-1.ips", "eins"}};
        QList<Kopierstand> kopierstaende; // told, in order, as the copy begins
        bool entkoppelt = true;
        std::optional<QList<Usbmodus>> usb = QList<Usbmodus>();
        QStringList werfen; // operations that throw
    };

    using A = Antworten;

    std::optional<QList<Usbmodus>> appleGeraete() const override { return gesperrt(m_antworten.usb); }
    Ergebnis<QStringList> geraete(const Abbruch& a) const override {
        return rufen("geraete", {}, a, &A::geraete);
    }
    Ergebnis<Kopplung> istGekoppelt(const QString& u, const Abbruch& a) const override {
        return rufen("istGekoppelt", u, a, &A::gekoppelt);
    }
    Ergebnis<Kopplung> koppeln(const QString& u, const Abbruch& a) const override {
        return rufen("koppeln", u, a, &A::koppeln);
    }
    bool entkoppeln(const QString& u, const Abbruch& a) const override {
        return rufen("entkoppeln", u, a, &A::entkoppelt);
    }
    Ergebnis<Geraetedaten> geraetedatenLesen(const QString& u, const Abbruch& a) const override {
        return rufen("geraetedatenLesen", u, a, &A::geraetedaten);
    }
    Ergebnis<std::optional<Akkudaten>> akkudatenLesen(const QString& u, const Abbruch& a) const override {
        return rufen("akkudatenLesen", u, a, &A::akku);
    }
    Ergebnis<QList<PanicLog>> panicLogsLesen(const QString& u, const Abbruch& a,
                                             const Kopiermeldung& melden) const override {
        for (const Kopierstand& stand : gesperrt(m_antworten.kopierstaende))
            melden(stand);
        return rufen("panicLogsLesen", u, a, &A::panic);
    }

    void einstellen(const std::function<void(Antworten&)>& aendern) {
        std::lock_guard s(m_mutex);
        aendern(m_antworten);
    }
    void anhalten(const QString& operation) {
        std::lock_guard s(m_mutex);
        m_angehalten.insert(operation);
    }
    void freigeben(const QString& operation = {}) { // none: all
        std::lock_guard sperre(m_mutex);
        operation.isEmpty() ? m_angehalten.clear() : void(m_angehalten.remove(operation));
        m_weiter.notify_all();
    }
    QStringList aufrufe() const { return gesperrt(m_aufrufe); }
    qsizetype anzahl(const QString& operation) const {
        return aufrufe().filter(QRegularExpression('^' + operation + "\\b")).size();
    }
    int laufende() const { return gesperrt(m_laufende); } // started, not yet returned

private:
    template <typename T> T gesperrt(const T& feld) const {
        std::lock_guard s(m_mutex);
        return feld;
    }
    template <typename T>
    T rufen(const QString& operation, const QString& udid, const Abbruch& abbruch,
            T Antworten::*antwort) const {
        std::unique_lock sperre(m_mutex);
        m_aufrufe.append(udid.isEmpty() ? operation : operation + ' ' + udid);
        ++m_laufende;
        // Looks at the work's end as the runner does, a few times a second.
        while (!m_weiter.wait_for(sperre, std::chrono::milliseconds(10),
                                  [&] { return abbruch.beendet() || !m_angehalten.contains(operation); })) {
        }
        --m_laufende;
        if (m_antworten.werfen.contains(operation))
            throw std::runtime_error("kaputt");
        return m_antworten.*antwort;
    }

    Antworten m_antworten;
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_weiter;
    mutable QStringList m_aufrufe;
    mutable int m_laufende = 0;
    QSet<QString> m_angehalten;
};

} // namespace kabel::test
