// The process runner against small real programs: lookup, status, stdout and ending tools.
#include "Testumgebung.h"
#include "device/Prozesslaeufer.h"

#include <future>

using namespace kabel;

namespace {

// An executable shell script `name` in `verzeichnis` running `rumpf`.
void skript(const QString& verzeichnis, const QString& name, const QByteArray& rumpf,
            bool ausfuehrbar = true) {
    QDir().mkpath(verzeichnis);
    QFile f(verzeichnis + u'/' + name);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write("#!/bin/bash\n" + rumpf + '\n') > 0);
    if (ausfuehrbar)
        f.setPermissions(f.permissions() | QFile::ExeOwner);
}

} // namespace

class TestProzesslaeufer : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString pfad(const char* name) const { return m_dir.filePath(QLatin1StringView(name)); }

private Q_SLOTS:
    void suche() {
        skript(pfad("a"), "werkzeug", "echo a", false); // not executable: passed over
        skript(pfad("b"), "werkzeug", "echo b");
        skript(pfad("c"), "werkzeug", "echo c");
        const auto lauf = Prozesslaeufer({pfad("a"), pfad("b"), pfad("c")}).ausfuehren("werkzeug", {});
        QVERIFY(lauf);
        QCOMPARE(lauf->ausgabe, QByteArray("b\n"));
        QCOMPARE(Prozesslaeufer({pfad("a")}).ausfuehren("werkzeug", {}).error(),
                 Fehler(ZugriffFehler::werkzeugFehlt()));
        // No directories means nowhere, not the search path.
        QCOMPARE(Prozesslaeufer({}).ausfuehren("sh", {}).error(), Fehler(ZugriffFehler::werkzeugFehlt()));
    }

    void lauf_data() {
        QTest::addColumn<QByteArray>("rumpf");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("ausgabe");
        QTest::newRow("arguments in order, binary bytes intact, stderr dropped")
            << QByteArray(R"(printf '%s|' "$@"; printf '\0\377'; echo fehler >&2)") << 0
            << QByteArray("x y|-u|\0\xff", 9);
        QTest::newRow("exit status") << QByteArray("echo teil; exit 3") << 3 << QByteArray("teil\n");
        QTest::newRow("killed by a signal") << QByteArray("kill -9 $$") << 137 << QByteArray();
        QTest::newRow("a chatty stderr never blocks")
            << QByteArray("head -c 3000000 /dev/zero >&2; echo fertig") << 0 << QByteArray("fertig\n");
    }
    void lauf() {
        QFETCH(QByteArray, rumpf);
        QTemporaryDir dir;
        skript(dir.path(), "werkzeug", rumpf);
        const auto lauf = Prozesslaeufer({dir.path()}).ausfuehren("werkzeug", {"x y", "-u"});
        QVERIFY(lauf);
        QTEST(int(lauf->status), "status");
        QTEST(lauf->ausgabe, "ausgabe");
    }

    void nichtStartbar() {
        skript(pfad("kaputt"), "werkzeug", {});
        QFile f(pfad("kaputt/werkzeug"));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("#!/gibt/es/nicht\n"));
        f.close();
        const auto lauf = Prozesslaeufer({pfad("kaputt")}).ausfuehren("werkzeug", {});
        QVERIFY(!lauf && std::holds_alternative<StartFehler>(lauf.error()));
        QVERIFY(!beschreibung(lauf.error()).isEmpty());
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
