#pragma once

#include "device/Geraetezugriff.h"

#include <QList>
#include <QString>
#include <condition_variable>
#include <mutex>
#include <set>
#include <type_traits>

namespace kabel::test {

// A device that answers what the test sets and records every call, safe to use from the
// controller's background threads. An operation can be held back until the test releases it.
class FakeZugriff final : public Geraetezugriff {
public:
    // What the device answers; change it with einstellen().
    struct Antworten {
        Ergebnis<QStringList> geraete = QStringList();
        bool gekoppelt = false;
        Ergebnis<void> koppeln = {};
        Ergebnis<Geraetedaten> geraetedaten = Geraetedaten{QStringLiteral("iPhone14,5"), {}, {}, {}, {}, {}};
        std::optional<Akkudaten> akku;
        QList<PanicLog> panic;
    };

    struct Aufruf {
        QString operation;
        QString udid;
        friend bool operator==(const Aufruf&, const Aufruf&) = default;
    };

    Ergebnis<QStringList> geraete() const override {
        return aufnehmen(QStringLiteral("geraete"), {}, [this] { return m_antworten.geraete; });
    }
    bool istGekoppelt(const QString& udid) const override {
        return aufnehmen(QStringLiteral("istGekoppelt"), udid, [this] { return m_antworten.gekoppelt; });
    }
    Ergebnis<void> koppeln(const QString& udid) const override {
        return aufnehmen(QStringLiteral("koppeln"), udid, [this] { return m_antworten.koppeln; });
    }
    void entkoppeln(const QString& udid) const override {
        aufnehmen(QStringLiteral("entkoppeln"), udid, [] { return 0; });
    }
    Ergebnis<Geraetedaten> geraetedatenLesen(const QString& udid) const override {
        return aufnehmen(QStringLiteral("geraetedatenLesen"), udid,
                         [this] { return m_antworten.geraetedaten; });
    }
    std::optional<Akkudaten> akkudatenLesen(const QString& udid) const override {
        return aufnehmen(QStringLiteral("akkudatenLesen"), udid, [this] { return m_antworten.akku; });
    }
    QList<PanicLog> panicLogsLesen(const QString& udid) const override {
        return aufnehmen(QStringLiteral("panicLogsLesen"), udid, [this] { return m_antworten.panic; });
    }

    template <typename F> void einstellen(F aendern) {
        std::lock_guard lock(m_mutex);
        aendern(m_antworten);
    }
    void anhalten(const QString& operation) {
        std::lock_guard lock(m_mutex);
        m_angehalten.insert(operation);
    }
    void freigeben(const QString& operation) {
        std::lock_guard lock(m_mutex);
        m_angehalten.erase(operation);
        m_weiter.notify_all();
    }
    QList<Aufruf> aufrufe() const {
        std::lock_guard lock(m_mutex);
        return m_aufrufe;
    }
    qsizetype anzahl(const QString& operation) const {
        std::lock_guard lock(m_mutex);
        return std::count_if(m_aufrufe.begin(), m_aufrufe.end(),
                             [&](const Aufruf& aufruf) { return aufruf.operation == operation; });
    }
    // Calls that have started but are held back by anhalten().
    qsizetype wartende() const {
        std::lock_guard lock(m_mutex);
        return m_wartende;
    }

private:
    template <typename F>
    std::invoke_result_t<F> aufnehmen(const QString& operation, const QString& udid, F antwort) const {
        std::unique_lock lock(m_mutex);
        m_aufrufe.append({operation, udid});
        ++m_wartende;
        m_weiter.wait(lock, [&] { return !m_angehalten.contains(operation); });
        --m_wartende;
        return antwort();
    }

    Antworten m_antworten;
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_weiter;
    mutable QList<Aufruf> m_aufrufe;
    mutable qsizetype m_wartende = 0;
    std::set<QString> m_angehalten;
};

} // namespace kabel::test
