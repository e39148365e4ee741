// The process runner against small real programs: lookup, status, stdout and ending tools.
#include "Testumgebung.h"
#include "device/Libimobiledevice.h"
#include "device/Prozesslaeufer.h"

#include <future>

using namespace kabel;
using namespace kabel::test;

namespace {

// A shell script `name` in `verzeichnis` running `rumpf`, executable unless a `kopf` says otherwise.
void skript(const QString& verzeichnis, const QString& name, const QByteArray& rumpf,
            const QByteArray& kopf = "#!/bin/bash\n") {
    QDir().mkpath(verzeichnis);
    QFile f(verzeichnis + '/' + name);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(kopf + rumpf + '\n') > 0);
    f.setPermissions(f.permissions() | (kopf.isEmpty() ? QFile::Permissions() : QFile::ExeOwner));
}

} // namespace

class TestProzesslaeufer : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString pfad(const char* name) const { return m_dir.filePath(QLatin1StringView(name)); }

private Q_SLOTS:
    void suche() {
        skript(pfad("a"), "werkzeug", "echo a", {}); // not executable: passed over
        skript(pfad("b"), "werkzeug", "echo b");
        skript(pfad("c"), "werkzeug", "echo c");
        QCOMPARE(Prozesslaeufer({pfad("a"), pfad("b"), pfad("c")})
                     .ausfuehren("werkzeug", {})
                     .value_or(Werkzeugergebnis{})
                     .ausgabe,
                 "b\n");
        QCOMPARE(Prozesslaeufer({pfad("a")}).ausfuehren("werkzeug", {}).error(),
                 Fehler(ZugriffFehler::werkzeugFehlt()));
        // No directories means nowhere, not the search path; the app's default places end with it.
        QCOMPARE(Prozesslaeufer({}).ausfuehren("sh", {}).error(), Fehler(ZugriffFehler::werkzeugFehlt()));
        const QByteArray suchpfad = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(pfad("b")));
        QCOMPARE(Prozesslaeufer(Libimobiledevice::werkzeugVerzeichnisse())
                     .ausfuehren("werkzeug", {})
                     .value_or(Werkzeugergebnis{})
                     .ausgabe,
                 "b\n");
        qputenv("PATH", suchpfad);
    }

    void lauf_data() {
        tabelle(QFINDTESTDATA("daten/laeufe.txt"), {"rumpf", "art", "status", "ausgabe"});
        QTest::newRow("progress that floods, its start kept")
            << QByteArray("head -c 2000000 /dev/zero | tr '\\0' x") << QByteArray("fortschritt")
            << QByteArray("0") << QByteArray(1 << 16, 'x');
    }
    void lauf() {
        const QByteArray &rumpf = spalte("rumpf"), &art = spalte("art");
        QTemporaryDir dir;
        skript(dir.path(), "werkzeug", rumpf);
        const auto lauf = Prozesslaeufer({dir.path()}, std::chrono::milliseconds(500))
                              .ausfuehren("werkzeug", {"x y", "-u"},
                                          art == "fortschritt" ? Ausgabe::fortschritt : Ausgabe::antwort);
        QVERIFY(lauf || std::holds_alternative<Abgebrochen>(lauf.error()));
        QTEST(QByteArray::number(lauf ? lauf->status : -1), "status");
        QTEST(lauf ? lauf->ausgabe : QByteArray(), "ausgabe");
    }

    void nichtStartbar() {
        skript(pfad("kaputt"), "werkzeug", {}, "#!/gibt/es/nicht\n");
        const auto lauf = Prozesslaeufer({pfad("kaputt")}).ausfuehren("werkzeug", {});
        QCOMPARE(lauf.error(), Fehler(StartFehler{"Das Werkzeug „werkzeug“ lässt sich nicht starten."}));
    }

    // A quitting app ends its running tools; the waiting call returns at once.
    void laufendeBeenden() {
        skript(pfad("haengt"), "werkzeug", "touch \"$1\"; read -r -t 600 <> <(:)");
        const QString zeichen = pfad("laeuft");
        auto lauf = std::async(std::launch::async, [&] {
            return Prozesslaeufer({pfad("haengt")}).ausfuehren("werkzeug", {zeichen});
        });
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(zeichen), 10000);
        laufendeWerkzeugeBeenden();
        QVERIFY(lauf.wait_for(std::chrono::seconds(10)) == std::future_status::ready);
        QCOMPARE(lauf.get()->status, 137);
    }
};

KABEL_TEST_MAIN(TestProzesslaeufer)
#include "tst_prozesslaeufer.moc"
