// The process runner against small real programs: lookup, status, stdout and ending tools.
#include "Testumgebung.h"
#include "device/Libimobiledevice.h"
#include "device/Prozesslaeufer.h"

#include <future>

using namespace kabel;

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
        const auto lauf = Prozesslaeufer({pfad("a"), pfad("b"), pfad("c")}).ausfuehren("werkzeug", {});
        QVERIFY(lauf);
        QCOMPARE(lauf->ausgabe, QByteArray("b\n"));
        QCOMPARE(Prozesslaeufer({pfad("a")}).ausfuehren("werkzeug", {}).error(),
                 Fehler(ZugriffFehler::werkzeugFehlt()));
        // No directories means nowhere, not the search path; the app's default places end with it.
        QCOMPARE(Prozesslaeufer({}).ausfuehren("sh", {}).error(), Fehler(ZugriffFehler::werkzeugFehlt()));
        const QByteArray suchpfad = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(pfad("b")));
        QCOMPARE(
            Prozesslaeufer(Libimobiledevice::werkzeugVerzeichnisse()).ausfuehren("werkzeug", {})->ausgabe,
            "b\n");
        qputenv("PATH", suchpfad);
    }

    // A tool silent for 500 ms is killed here; Abgebrochen shows as status -1.
    void lauf_data() {
        QTest::addColumn<QByteArray>("rumpf");
        QTest::addColumn<bool>("fortschritt");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("ausgabe");
        const QByteArray still = "read -r -t 0.1 <> <(:); "; // 100 ms without a word
        QTest::newRow("arguments in order, binary bytes intact, stderr dropped")
            << QByteArray(R"(printf '%s|' "$@"; printf '\0\377'; echo fehler >&2)") << false << 0
            << QByteArray("x y|-u|\0\xff", 9);
        QTest::newRow("exit status") << QByteArray("echo teil; exit 3") << false << 3 << QByteArray("teil\n");
        QTest::newRow("killed by a signal") << QByteArray("kill -9 $$") << false << 137 << QByteArray();
        QTest::newRow("a chatty stderr never blocks")
            << QByteArray("head -c 3000000 /dev/zero >&2; echo fertig") << false << 0
            << QByteArray("fertig\n");
        QTest::newRow("silent too long") << "echo a; " + still.repeated(10) << false << -1 << QByteArray();
        QTest::newRow("talking now and then stays alive")
            << "for i in 1 2 3 4 5; do echo $i; " + still.repeated(2) + "done; exit 0" << false << 0
            << QByteArray("1\n2\n3\n4\n5\n");
        QTest::newRow("an answer that floods")
            << QByteArray("head -c 2000000 /dev/zero") << false << -1 << QByteArray();
        QTest::newRow("progress that floods, its start kept")
            << QByteArray("head -c 2000000 /dev/zero | tr '\\0' x") << true << 0 << QByteArray(1 << 16, 'x');
    }
    void lauf() {
        QFETCH(QByteArray, rumpf);
        QFETCH(bool, fortschritt);
        QTemporaryDir dir;
        skript(dir.path(), "werkzeug", rumpf);
        const auto lauf =
            Prozesslaeufer({dir.path()}, std::chrono::milliseconds(500))
                .ausfuehren("werkzeug", {"x y", "-u"}, fortschritt ? Ausgabe::fortschritt : Ausgabe::antwort);
        QVERIFY(lauf || std::holds_alternative<Abgebrochen>(lauf.error()));
        QTEST(lauf ? int(lauf->status) : -1, "status");
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
