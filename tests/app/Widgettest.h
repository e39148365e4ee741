#pragma once

#include "Testumgebung.h"
#include "device/Geraetezugriff.h"

#include <QApplication>
#include <QTest>
#include <atomic>
#include <mutex>

namespace kabel::test {

// A device access that answers from fixed values and counts its calls; thread-safe.
class StubZugriff final : public Geraetezugriff {
public:
    void setGeraete(QStringList udids) {
        std::lock_guard lock(m_mutex);
        m_geraete = std::move(udids);
    }
    void setDaten(Ergebnis<Geraetedaten> daten) {
        std::lock_guard lock(m_mutex);
        m_daten = std::move(daten);
    }

    Ergebnis<QStringList> geraete() const override {
        std::lock_guard lock(m_mutex);
        return m_geraete;
    }
    bool istGekoppelt(const QString&) const override { return true; }
    Ergebnis<void> koppeln(const QString&) const override { return {}; }
    void entkoppeln(const QString&) const override { ++entkoppelt; }
    Ergebnis<Geraetedaten> geraetedatenLesen(const QString&) const override {
        ++gelesen;
        std::lock_guard lock(m_mutex);
        return m_daten;
    }
    std::optional<Akkudaten> akkudatenLesen(const QString&) const override {
        return Akkudaten{523, 1000, 870, 30.0};
    }
    QList<PanicLog> panicLogsLesen(const QString&) const override { return {}; }

    mutable std::atomic<int> gelesen = 0;
    mutable std::atomic<int> entkoppelt = 0;

private:
    mutable std::mutex m_mutex;
    QStringList m_geraete;
    Ergebnis<Geraetedaten> m_daten =
        Geraetedaten{QStringLiteral("iPhone14,5"), QStringLiteral("17.4.1"), {}, {}, {}, {}};
};

} // namespace kabel::test

// Like KABEL_TEST_MAIN, with a widget application on the offscreen platform unless one is chosen.
#define KABEL_WIDGET_TEST_MAIN(Klasse)                                                                       \
    int main(int argc, char** argv) {                                                                        \
        kabel::test::Testumgebung umgebung;                                                                  \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))                                                  \
            qputenv("QT_QPA_PLATFORM", "offscreen");                                                         \
        QApplication app(argc, argv);                                                                        \
        app.setOrganizationName(QStringLiteral("Sondit-Test"));                                              \
        app.setApplicationName(QStringLiteral(#Klasse));                                                     \
        Klasse test;                                                                                         \
        QTEST_SET_MAIN_SOURCE_PATH                                                                           \
        return QTest::qExec(&test, argc, argv);                                                              \
    }
