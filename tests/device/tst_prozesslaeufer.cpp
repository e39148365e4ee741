// The process runner against small real programs: lookup, status, stdout and stderr, signs of
// life (copies that write through a buffer, talk on a socket), and ending tools.
#include "Testumgebung.h"
#include "device/Abbruch.h"
#include "device/Libimobiledevice.h"
#include "device/Prozesslaeufer.h"

#include <future>

using namespace kabel;
using namespace kabel::test;

namespace {

// An executable script "werkzeug" in `verzeichnis`: `rumpf` for bash, unless it names its own interpreter.
void skript(const QString& verzeichnis, const QByteArray& rumpf) {
    QDir().mkpath(verzeichnis);
    QFile f(verzeichnis + "/werkzeug");
    QVERIFY(f.open(QIODevice::WriteOnly) &&
            f.write((rumpf.startsWith("#!") ? "" : "#!/bin/bash\n") + rumpf + '\n'));
    f.setPermissions(f.permissions() | QFile::ExeOwner);
}

} // namespace

class TestProzesslaeufer : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString pfad(const char* name) const { return m_dir.filePath(QLatin1StringView(name)); }

private Q_SLOTS:
    void suche() {
        for (const char* name : {"a", "b", "c"})
            skript(pfad(name), QByteArray("echo ") + name);
        QFile::setPermissions(pfad("a") + "/werkzeug", QFile::ReadOwner); // not executable: passed over
        const auto lauf = [](const QStringList& verzeichnisse) {
            const auto ergebnis = Prozesslaeufer(verzeichnisse).ausfuehren("werkzeug", {}, Abbruch{});
            return ergebnis ? ergebnis->ausgabe : beschreibung(ergebnis.error()).toUtf8();
        };
        QCOMPARE(lauf({pfad("a"), pfad("b"), pfad("c")}), "b\n");
        QCOMPARE(lauf({pfad("a")}), beschreibung(ZugriffFehler::werkzeugFehlt()).toUtf8());
        const QByteArray suchpfad = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(pfad("b"))); // the app's default places end with it
        QCOMPARE(lauf(Libimobiledevice::werkzeugVerzeichnisse()), "b\n");
        qputenv("PATH", suchpfad);
    }

    void lauf_data() {
        tabelle(QFINDTESTDATA("daten/laeufe.txt"), {"rumpf", "art", "status", "fehlerausgabe", "ausgabe"});
    }
    void lauf() {
        QTemporaryDir dir, ziel;
        skript(dir.path(), spalte("rumpf"));
        qputenv("KOPIERER", KABEL_KOPIERER);
        Kopierstand zuletzt;   // what a copy last told has arrived, while it runs
        QByteArray gehoert[2]; // what a copy's line filter hears of stdout and stderr
        std::optional<Kopie> kopie;
        if (spalte("art") == "kopie")
            kopie = Kopie{ziel.path(), [&](const Kopierstand& stand) { zuletzt = stand; },
                          [&](QByteArrayView stueck, bool fehler) { gehoert[fehler] += stueck; }};
        const auto lauf = Prozesslaeufer({dir.path()}, std::chrono::milliseconds(500))
                              .ausfuehren("werkzeug", {"x y", "-u", ziel.path()}, Abbruch{}, kopie);
        QTEST(lauf                                                ? QByteArray::number(lauf->status)
              : std::holds_alternative<Abgebrochen>(lauf.error()) ? "-1"
                                                                  : beschreibung(lauf.error()).toUtf8(),
              "status");
        QTEST(lauf ? lauf->fehlerausgabe : QByteArray(), "fehlerausgabe");
        QTEST(lauf ? lauf->ausgabe : QByteArray(), "ausgabe");
        if (lauf && kopie) // all of both streams, as they came
            QVERIFY(gehoert[0].startsWith(lauf->ausgabe) && gehoert[1].startsWith(lauf->fehlerausgabe) &&
                    (gehoert[0] + gehoert[1]).size() >= lauf->ausgabe.size() + lauf->fehlerausgabe.size());
        const qsizetype dateien = QDir(ziel.path()).entryList(QDir::Files).size();
        QVERIFY(dateien == 0 || (zuletzt.dateien > 0 && zuletzt.bytes >= 6 * zuletzt.dateien));
    }

    // Ended work kills its running tool, the waiting call returns at once, and no further tool starts.
    void beenden() {
        skript(pfad("haengt"), "touch \"$1\"; read -r -t 600 <> <(:)");
        Abbruch abbruch;
        const auto laufen = [&](const QString& zeichen) {
            const auto ergebnis = Prozesslaeufer({pfad("haengt")}).ausfuehren("werkzeug", {zeichen}, abbruch);
            return ergebnis ? QByteArray::number(ergebnis->status) : beschreibung(ergebnis.error()).toUtf8();
        };
        QFile::remove(pfad("laeuft"));
        auto lauf = std::async(std::launch::async, laufen, pfad("laeuft"));
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(pfad("laeuft")), 10000);
        abbruch.beenden();
        QVERIFY(lauf.wait_for(std::chrono::seconds(10)) == std::future_status::ready);
        const QByteArray abgebrochen = beschreibung(Abgebrochen{}).toUtf8();
        QCOMPARE(lauf.get(), abgebrochen);
        QVERIFY(laufen(pfad("danach")) == abgebrochen && !QFileInfo::exists(pfad("danach")));
    }
};

KABEL_TEST_MAIN(TestProzesslaeufer)
#include "tst_prozesslaeufer.moc"
