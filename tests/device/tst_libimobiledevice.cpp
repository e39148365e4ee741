// The seven device operations through a recording fake runner: which tools run with which
// arguments, in which order, and what each failure becomes.
#include "FakeLaeufer.h"
#include "Testumgebung.h"
#include "device/Libimobiledevice.h"

using namespace kabel;
using kabel::test::FakeLaeufer;

namespace {

const QString udid = "00008110-001A2B3C4D5E801E", u = " -u " + udid;
constexpr int fehlt = -1, startetNicht = -2, abgebrochen = -3; // runner failures in place of a status

// An operation's outcome as one line, so all seven share one table.
QString ausgang(const Libimobiledevice& zugriff, const QString& operation) {
    const auto text = [](const auto& ergebnis, const auto& wert) -> QString {
        return ergebnis ? wert() : "Fehler: " + beschreibung(ergebnis.error());
    };
    if (operation == "geraete" || operation == "ohneUsbmuxd") {
        const auto liste = zugriff.geraete();
        return text(liste, [&] { return liste->join(','); });
    }
    if (operation == "istGekoppelt")
        return QStringList{"gekoppelt", "ausstehend", "gesperrt", "abgelehnt"}.at(
            int(zugriff.istGekoppelt(udid)));
    if (operation == "koppeln")
        return text(zugriff.koppeln(udid), [] { return "ok"; });
    if (operation == "geraetedatenLesen") {
        const auto daten = zugriff.geraetedatenLesen(udid);
        return text(daten, [&] { return daten->produkt; });
    }
    if (operation == "akkudatenLesen")
        return zugriff.akkudatenLesen(udid) ? "Akku" : "kein Akku";
    if (operation == "panicLogsLesen") {
        const auto logs = zugriff.panicLogsLesen(udid);
        return text(logs, [&] { return QString::number(logs->size()) + " Logs"; });
    }
    return zugriff.entkoppeln(udid) ? "ja" : "nein";
}

} // namespace

class TestLibimobiledevice : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void ausgaenge_data() {
        QTest::addColumn<QString>("aufruf");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("ausgabe");
        QTest::addColumn<QString>("ausgang");
        QTest::addColumn<int>("aufrufe");
        const QString unlesbar =
            "Fehler: Das iPhone antwortet nicht. Bitte entsperrt lassen und erneut versuchen.";
        const QString liste = "geraete|idevice_id -l",
                      validate = "istGekoppelt|idevicepair" + u + " validate",
                      pair = "koppeln|idevicepair" + u + " pair",
                      unpair = "entkoppeln|idevicepair" + u + " unpair",
                      produkt = "geraetedatenLesen|ideviceinfo" + u + " -k ProductType",
                      akku = "akkudatenLesen|idevicediagnostics" + u + " ioregentry AppleSmartBattery",
                      crash = "panicLogsLesen|idevicecrashreport" + u + " -k -f panic DIR";
        const QByteArray leer;
        QTest::newRow("listing") << liste << 0 << QByteArray("a1\nb2\n") << "a1,b2" << 1;
        QTest::newRow("listing tool missing")
            << liste << fehlt << leer
            << "Fehler: Die Gerätebibliothek fehlt. Bitte Sondit Kabel neu installieren." << 1;
        QTest::newRow("listing tool not startable") << liste << startetNicht << leer << "Fehler: kaputt" << 1;
        QTest::newRow("listing killed") << liste << abgebrochen << leer << unlesbar << 1;
        QTest::newRow("no usbmuxd reached, installed")
            << liste << 255 << leer
            << "Fehler: Noch kein iPhone erkannt. Steckt es schon, das Kabel kurz abziehen oder „sudo systemctl restart usbmuxd“ ausführen."
            << 1;
        QTest::newRow("no usbmuxd reached, none installed")
            << "ohneUsbmuxd|idevice_id -l" << 255 << leer
            << "Fehler: Der iPhone-USB-Dienst „usbmuxd“ fehlt. Bitte das Paket usbmuxd installieren." << 1;
        QTest::newRow("trusted") << validate << 0 << leer << "gekoppelt" << 1;
        QTest::newRow("not trusted, whatever it says")
            << validate << 1 << QByteArray("SUCCESS") << "ausstehend" << 1;
        QTest::newRow("locked with a passcode")
            << validate << 1
            << QByteArray("ERROR: Could not validate with device U because a passcode is set. Please enter…")
            << "gesperrt" << 1;
        QTest::newRow("trust denied")
            << validate << 1 << QByteArray("ERROR: Device U said that the user denied the trust dialog.\n")
            << "abgelehnt" << 1;
        QTest::newRow("trust test without tool") << validate << fehlt << leer << "ausstehend" << 1;
        QTest::newRow("pairing accepted, whatever it says") << pair << 0 << QByteArray("ERROR") << "ok" << 1;
        QTest::newRow("pairing pending")
            << pair << 1 << leer << "Fehler: Auf dem iPhone „Vertrauen“ tippen und den Code eingeben." << 1;
        QTest::newRow("pairing tool not startable") << pair << startetNicht << leer << "Fehler: kaputt" << 1;
        QTest::newRow("unpaired") << unpair << 0 << leer << "ja" << 1;
        QTest::newRow("unpair refused") << unpair << 1 << leer << "nein" << 1;
        QTest::newRow("unpair killed") << unpair << abgebrochen << leer << "nein" << 1;
        QTest::newRow("identity, six keys")
            << produkt << 0 << QByteArray("iPhone14,5\n") << "iPhone14,5" << 6;
        QTest::newRow("no model: one key only") << produkt << 0 << leer << unlesbar << 1;
        QTest::newRow("identity tool missing") << produkt << fehlt << leer << unlesbar << 1;
        QTest::newRow("identity killed") << produkt << abgebrochen << leer << unlesbar << 1;
        QTest::newRow("battery tool missing") << akku << fehlt << leer << "kein Akku" << 1;
        QTest::newRow("battery answer floods")
            << akku << 0 << QByteArray(antwortHoechstens + 1, '<') << "kein Akku" << 1;
        QTest::newRow("crash tool missing") << crash << fehlt << leer << "0 Logs" << 1;
        QTest::newRow("crash tool ends with an error") << crash << 255 << leer << "0 Logs" << 1;
        QTest::newRow("crash copy killed: not the same as no logs")
            << crash << abgebrochen << leer << unlesbar << 1;
    }
    void ausgaenge() {
        QFETCH(QString, aufruf);
        QFETCH(int, status);
        QFETCH(QByteArray, ausgabe);
        auto laeufer = std::make_shared<FakeLaeufer>();
        if (aufruf.startsWith("ohneUsbmuxd"))
            laeufer->vorhandeneProgramme.clear();
        const QString werkzeugAufruf = aufruf.section('|', 1);
        if (status == fehlt)
            laeufer->antworten(werkzeugAufruf, std::unexpected(ZugriffFehler::werkzeugFehlt()));
        else if (status == startetNicht)
            laeufer->antworten(werkzeugAufruf, std::unexpected(StartFehler{"kaputt"}));
        else if (status == abgebrochen)
            laeufer->antworten(werkzeugAufruf, std::unexpected(Abgebrochen{}));
        else
            laeufer->antworten(werkzeugAufruf, Werkzeugergebnis{status, ausgabe});
        QTEST(ausgang(Libimobiledevice(laeufer), aufruf.section('|', 0, 0)), "ausgang");
        QCOMPARE(laeufer->aufrufe().first(), werkzeugAufruf);
        QTEST(int(laeufer->aufrufe().size()), "aufrufe");
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
        const QString gefiltert = "idevicecrashreport" + u + " -k -f panic DIR";
        laeufer->antworten(
            gefiltert,
            Werkzeugergebnis{0, mitFilter ? QByteArray(2 << 20, '.') : "Usage: idevicecrashreport …\n"},
            mitFilter ? kopieren : std::function<void(const QString&)>());
        // A long copy prints far more progress than any answer may hold.
        laeufer->antworten("idevicecrashreport" + u + " -k DIR",
                           Werkzeugergebnis{0, QByteArray(2 << 20, '.')}, kopieren);
        const QList<PanicLog> logs = Libimobiledevice(laeufer).panicLogsLesen(udid).value();
        QCOMPARE(logs.size(), 2);
        QCOMPARE(logs[0].datei + ' ' + logs[1].datei, "panic-b.ips panic-a.ips");
        QCOMPARE(laeufer->aufrufe().size(), mitFilter ? 1 : 2);
        QCOMPARE(verzeichnisse.size(), 1);
        QCOMPARE(QDir(QDir::tempPath()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    }
};

KABEL_TEST_MAIN(TestLibimobiledevice)
#include "tst_libimobiledevice.moc"
