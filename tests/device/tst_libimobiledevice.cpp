// The seven device operations through a recording fake runner: which tools run with which
// arguments, in which order, and what each failure becomes.
#include "FakeLaeufer.h"
#include "Testumgebung.h"
#include "device/Libimobiledevice.h"

using namespace kabel;
using kabel::test::FakeLaeufer;

namespace {

const QString udid = "00008110-001A2B3C4D5E801E", u = " -u " + udid;

// An operation's outcome as one line, so all seven share one table.
QString ausgang(const Libimobiledevice& zugriff, const QString& operation) {
    const auto text = [](const auto& e, const auto& wert) {
        return e ? wert() : "Fehler: " + beschreibung(e.error());
    };
    if (operation == "geraete") {
        const auto liste = zugriff.geraete();
        return text(liste, [&] { return liste->join(','); });
    }
    if (operation == "koppeln")
        return text(zugriff.koppeln(udid), [] { return QString("ok"); });
    if (operation == "geraetedatenLesen") {
        const auto daten = zugriff.geraetedatenLesen(udid);
        return text(daten, [&] { return daten->produkt; });
    }
    if (operation == "panicLogsLesen") {
        const auto logs = zugriff.panicLogsLesen(udid);
        return text(logs, [&] { return QString::number(logs->size()) + " Logs"; });
    }
    if (operation == "akkudatenLesen")
        return zugriff.akkudatenLesen(udid) ? "Akku" : "kein Akku";
    if (operation == "istGekoppelt")
        return zugriff.istGekoppelt(udid) == Kopplung::gekoppelt ? "ja" : "nein";
    return zugriff.entkoppeln(udid) ? "ja" : "nein";
}

} // namespace

class TestLibimobiledevice : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void ausgaenge_data() {
        test::tabelle(QFINDTESTDATA("daten/ausgaenge.txt"), {"aufruf", "status", "ausgabe", "ausgang"});
        QTest::newRow("battery answer floods")
            << "akkudatenLesen|idevicediagnostics" + u.toUtf8() + " ioregentry AppleSmartBattery"
            << QByteArray("0") << QByteArray(antwortHoechstens + 1, '<') << QByteArray("kein Akku");
    }
    void ausgaenge() {
        QFETCH(QByteArray, aufruf);
        QFETCH(QByteArray, status);
        QFETCH(QByteArray, ausgabe);
        auto laeufer = std::make_shared<FakeLaeufer>();
        if (aufruf.endsWith("ohne usbmuxd"))
            laeufer->vorhandeneProgramme.clear();
        const QString werkzeug = QString::fromUtf8(aufruf).section('|', 1, 1);
        const auto fehler = [](Fehler f) { return Ergebnis<Werkzeugergebnis>(std::unexpected(f)); };
        laeufer->antworten(werkzeug, status == "fehlt"          ? fehler(ZugriffFehler::werkzeugFehlt())
                                     : status == "startetNicht" ? fehler(StartFehler{"kaputt"})
                                     : status == "abgebrochen"  ? fehler(Abgebrochen{})
                                                                : Werkzeugergebnis{status.toInt(), ausgabe});
        QTEST(ausgang(Libimobiledevice(laeufer), aufruf.split('|').first()).toUtf8(), "ausgang");
        QCOMPARE(laeufer->aufrufe().first(), werkzeug);
        QCOMPARE(laeufer->aufrufe().size(),
                 QTest::currentDataTag() == QByteArray("identity, six keys") ? 6 : 1);
    }

    // Debian's 1.3.0 has no -f and answers it with its usage: then it is called again without the
    // filter. 1.4 copies with the filter at once. The private directory goes either way.
    void panicLogs_data() {
        QTest::addColumn<bool>("mitFilter");
        QTest::newRow("1.3.0") << false;
        QTest::newRow("1.4") << true;
    }
    void panicLogs() {
        QFETCH(bool, mitFilter);
        auto laeufer = std::make_shared<FakeLaeufer>();
        QStringList verzeichnisse;
        const auto kopieren = [&](const QString& verzeichnis) {
            verzeichnisse << verzeichnis;
            QVERIFY(QFileInfo(verzeichnis)
                        .fileName()
                        .contains(QRegularExpression("^sondit-kabel-[0-9A-F-]{36}$")));
            QCOMPARE(QFile::permissions(verzeichnis), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                          QFile::ReadUser | QFile::WriteUser |
                                                          QFile::ExeUser);
            QVERIFY(QDir(verzeichnis).mkdir("Retired"));
            for (const char* name : {"/panic-b.ips", "/Retired/panic-a.ips", "/Jetsam.ips"}) {
                QFile f(verzeichnis + name);
                QVERIFY(f.open(QIODevice::WriteOnly) && f.write("text"));
            }
        };
        // A long copy prints far more progress than any answer may hold.
        const Werkzeugergebnis fortschritt{0, QByteArray(2 << 20, '.')};
        laeufer->antworten("idevicecrashreport" + u + " -k -f panic DIR",
                           mitFilter ? fortschritt : Werkzeugergebnis{0, "Usage: idevicecrashreport …\n"},
                           mitFilter ? kopieren : std::function<void(const QString&)>());
        laeufer->antworten("idevicecrashreport" + u + " -k DIR", fortschritt, kopieren);
        const auto logs = Libimobiledevice(laeufer).panicLogsLesen(udid);
        QVERIFY(logs && logs->size() == 2);
        QCOMPARE(logs->at(0).datei + ' ' + logs->at(1).datei, "panic-b.ips panic-a.ips");
        QCOMPARE(laeufer->aufrufe().size(), mitFilter ? 1 : 2);
        QCOMPARE(verzeichnisse.size(), 1);
        QCOMPARE(QDir(QDir::tempPath()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    }
};

KABEL_TEST_MAIN(TestLibimobiledevice)
#include "tst_libimobiledevice.moc"
