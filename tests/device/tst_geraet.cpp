// The device layer without processes, tables in daten/: the seven operations through a recording
// fake runner (tools and arguments run, what is read, what each failure becomes), the panic texts and files.
#include "FakeLaeufer.h"
#include "Testumgebung.h"
#include "device/Libimobiledevice.h"
#include "device/Panicauswahl.h"
#include "device/Panicbefund.h"
#include "device/Panicdatei.h"

#include <QScopeGuard>

using namespace kabel;
using namespace kabel::test;

namespace {

const QString udid = "00008110-001A2B3C4D5E801E", u = " -u " + udid;
const Abbruch laeuft;

QString ausgang(const Libimobiledevice& z, const QString& operation) { // one line, for all seven
    const auto text = [](const auto& e, auto als) {
        return e ? als(*e) : "Fehler: " + beschreibung(e.error());
    };
    const QStringList staende{"gekoppelt", "ausstehend", "gesperrt", "abgelehnt", "fehlgeschlagen"};
    const auto kopplung = [&](const Kopplung& k) { // the state, and lockdown's code
        return staende[int(k.stand)] + ' ' + QString::number(k.fehlercode);
    };
    const auto zahl = [](const auto& wert) { return wert ? QString::number(*wert) : QString("?"); };
    const auto akku = [&](const std::optional<Akkudaten>& a) {
        return a ? QStringList{zahl(a->zyklen), zahl(a->designMah), zahl(a->istMah), zahl(a->temperaturC)}
                       .join('/')
                 : "-";
    };
    return operation == "geraete" ? text(z.geraete(laeuft), [](const QStringList& l) { return l.join(','); })
           : operation == "koppeln"      ? text(z.koppeln(udid, laeuft), kopplung)
           : operation == "istGekoppelt" ? text(z.istGekoppelt(udid, laeuft), kopplung)
           : operation == "geraetedatenLesen"
               ? text(z.geraetedatenLesen(udid, laeuft), [](const Geraetedaten& d) { return d.produkt; })
           : operation == "panicLogsLesen"
               ? text(z.panicLogsLesen(udid, laeuft),
                      [](const auto& l) { return QString::number(l.size()) + " Logs"; })
           : operation == "akkudatenLesen" ? text(z.akkudatenLesen(udid, laeuft), akku)
           : z.entkoppeln(udid, laeuft)    ? "ja"
                                           : "nein";
}

} // namespace

class TestGeraet : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void panicText_data() {
        tabelle(QFINDTESTDATA("daten/paniktexte.txt"), {"inhalt", "hoechstens", "text"});
    }
    void panicText() {
        const auto text = kabel::panicText(spalte("inhalt"), spalte("hoechstens").toULongLong());
        QTEST(QByteArray::fromStdString(text.value_or("(ungültig)")), "text");
    }

    void befund_data() { tabelle(QFINDTESTDATA("daten/panicbefund.txt"), {"logs", "befund"}); }
    void befund() {
        QList<PanicLog> logs;
        for (const QString& text : QString::fromUtf8(spalte("logs")).split(" ;; "))
            logs.append({"panic", text.toStdString()});
        const Panicbefund b = panicBefund(logs);
        QStringList teile{QString("%1 leer, %2 nicht lesbar").arg(b.leer).arg(b.unlesbar)};
        if (const auto& l = b.letzte)
            teile << l->zeit.datum.toString("dd.MM.yyyy") + ' ' + l->zeit.uhrzeit.toString("HH:mm:ss")
                  << l->grund
                  << QString("%1 seit %2").arg(l->gleicherGrund).arg(l->seit.toString("dd.MM.yyyy"))
                  << l->ersteZeile;
        if (!b.fehlendeSensoren.isEmpty())
            teile << "Sensoren: " + b.fehlendeSensoren.join(", ");
        QTEST(teile.join(" | ").toUtf8(), "befund");
    }

    void auswahl_data() { tabelle(QFINDTESTDATA("daten/panicauswahl.txt"), {"pfade", "gewaehlt"}); }
    void auswahl() {
        QTEST(panicKandidatenWaehlen(QString(spalte("pfade")).split(' ')).join(' ').toUtf8(), "gewaehlt");
    }

    // A report file is read and cut at 2,000,000 characters; no report: invalid text, a directory, a link.
    void panicDatei() {
        QTemporaryDir dir;
        QFile lang(dir.filePath("Panic-1.ips")), kaputt(dir.filePath("panic-2"));
        QVERIFY(lang.open(QIODevice::WriteOnly) && lang.write(QByteArray(2'000'001, 'x')) && lang.flush());
        QVERIFY(kaputt.open(QIODevice::WriteOnly) && kaputt.write("a\xff") && kaputt.flush());
        QVERIFY(QDir(dir.path()).mkdir("panic-3") && QFile::link(lang.fileName(), dir.filePath("panic-4")));
        const auto log = panicLogLesen(lang.fileName());
        QVERIFY(log && log->datei == "Panic-1.ips" && log->text.size() == 2'000'000);
        for (const char* keiner : {"panic-2", "panic-3", "panic-4"})
            QVERIFY2(!panicLogLesen(dir.filePath(keiner)), keiner);
    }

    void ausgaenge_data() {
        tabelle(QFINDTESTDATA("daten/ausgaenge.txt"), {"aufruf", "aufrufe", "status", "ausgabe", "ausgang"});
    }
    void ausgaenge() {
        const QByteArray &aufruf = spalte("aufruf"), &status = spalte("status"), &ausgabe = spalte("ausgabe");
        auto laeufer = std::make_shared<FakeLaeufer>();
        if (aufruf.endsWith("ohne usbmuxd"))
            laeufer->vorhandeneProgramme.clear();
        QTemporaryDir dir;
        const auto zurueck = qScopeGuard([tmp = qgetenv("TMPDIR")] { qputenv("TMPDIR", tmp); });
        if (aufruf.endsWith("ohne tmp")) { // beneath a regular file: root cannot be kept out otherwise
            QVERIFY(QFile(dir.filePath("datei")).open(QIODevice::WriteOnly));
            qputenv("TMPDIR", QFile::encodeName(dir.filePath("datei/tmp")));
        }
        const QString werkzeug = QString::fromUtf8(aufruf).section('|', 1, 1);
        const auto fehler = [](Fehler f) { return Ergebnis<Werkzeugergebnis>(std::unexpected(f)); };
        QString kopie; // a copy's directory: private, named for the start-up sweep, gone afterwards
        const auto kopieren = [&](const QString& verzeichnis) {
            QVERIFY(QRegularExpression("/sondit-kabel-[A-Za-z]{16}$").match(kopie = verzeichnis).hasMatch());
            QCOMPARE(int(QFile::permissions(verzeichnis)), 0x7700); // 0700
            QVERIFY(QFile(verzeichnis + "/panic-b.ips").open(QIODevice::WriteOnly));
        };
        // The model, unless the row answers it: later identity keys are read only after one.
        laeufer->antworten("ideviceinfo" + u + " -k ProductType", Werkzeugergebnis{0, "iPhone14,5\n"});
        if (!aufruf.endsWith("abgesteckt")) // the phone listed, unless the row answers the listing
            laeufer->antworten("idevice_id -l", Werkzeugergebnis{0, udid.toUtf8()});
        laeufer->antworten(werkzeug,
                           status == "fehlt"          ? fehler(ZugriffFehler::werkzeugFehlt())
                           : status == "startetNicht" ? fehler(StartFehler{"kaputt"})
                           : status == "abgebrochen"  ? fehler(Abgebrochen{})
                           : status.endsWith(" stderr")
                               ? Werkzeugergebnis{status.split(' ').first().toInt(), {}, ausgabe}
                               : Werkzeugergebnis{status.toInt(), ausgabe},
                           kopieren);
        QTEST(ausgang(Libimobiledevice(laeufer), aufruf.split('|').first()).toUtf8(), "ausgang");
        QVERIFY(laeufer->aufrufe().contains(werkzeug) || spalte("aufrufe") == "0");
        QCOMPARE(laeufer->aufrufe().size(), spalte("aufrufe").toLongLong());
        QVERIFY(kopie.isEmpty() || !QFileInfo::exists(kopie));
    }
};

KABEL_TEST_MAIN(TestGeraet)
#include "tst_geraet.moc"
