// The readings as pure functions of a tool's answer: recorded answers in, records out.
#include "Testumgebung.h"
#include "device/Akkuantwort.h"
#include "device/Geraeteliste.h"
#include "device/Infowert.h"
#include "device/Kopplungsantwort.h"
#include "device/Panicauswahl.h"
#include "device/Panicdatei.h"
#include "device/Plisttiefe.h"

#include <QRandomGenerator>
#include <unicode/brkiter.h>

using namespace kabel;
using Bytes = std::optional<std::string>;

namespace {

// A reading of one answer as one line, so that every reading shares one table.
QString lesen(const QByteArray& was, const Werkzeugergebnis& antwort) {
    const auto zahl = [](const auto& wert) { return wert ? QString::number(*wert) : QString("?"); };
    if (was == "liste")
        return geraeteAusListe(antwort).value_or(QStringList{"gescheitert"}).join(',');
    if (was == "wert")
        return infoWertAusAntwort(antwort).value_or("-");
    if (was == "vertrauen")
        return QStringList{"gekoppelt", "ausstehend", "gesperrt", "abgelehnt"}.at(int(kopplungLaut(antwort)));
    const std::optional<Akkudaten> a = akkudatenAusAntwort(antwort);
    return a ? zahl(a->zyklen) + '/' + zahl(a->designMah) + '/' + zahl(a->istMah) + '/' + zahl(a->temperaturC)
             : "-";
}

} // namespace

class TestLesungen : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void antworten_data() {
        test::tabelle(QFINDTESTDATA("daten/antworten.txt"), {"was", "status", "ausgabe", "gelesen"});
        const QByteArray tief =
            QByteArray("<array>").repeated(200'000) + QByteArray("</array>").repeated(200'000);
        QTest::newRow("XML, 200,000 levels deep")
            << QByteArray("akku") << QByteArray("0")
            << "<plist><dict><key>IORegistry</key><dict><key>x</key>" + tief + "</dict></dict></plist>"
            << QByteArray("-");
    }
    void antworten() {
        QFETCH(QByteArray, was);
        QFETCH(QByteArray, status);
        QFETCH(QByteArray, ausgabe);
        QTEST(lesen(was, {status.toInt(), ausgabe}).toUtf8(), "gelesen");
    }

    // libplist copies a shared object at each reference: 217 bytes that stay within the depth
    // would grow into 2^32 nodes.
    void geteilteObjekte() {
        const QByteArray antwort = test::feld("@akku-zwei-hoch-31.plist", QDir(QFINDTESTDATA("daten")));
        QVERIFY(!flachGenug(antwort, 32));
        QVERIFY(flachGenug(antwort, 32, quint64(1) << 40));
    }

    void panicText_data() {
        test::tabelle(QFINDTESTDATA("daten/paniktexte.txt"), {"inhalt", "hoechstens", "text"});
    }
    void panicText() {
        QFETCH(QByteArray, inhalt);
        QFETCH(QByteArray, hoechstens);
        QTEST(QByteArray::fromStdString(
                  kabel::panicText(inhalt, hoechstens.toULongLong()).value_or("(ungültig)")),
              "text");
    }

    // Random texts of awkward pieces (CR LF, combining marks, ZWJ sequences, flags, Hangul), cut at
    // random limits, against ICU's own count over UTF-16.
    void panicTextWieIcu() {
        const char* const stuecke[] = {"a",
                                       "\r",
                                       "\n",
                                       "\xcc\x81",
                                       "\xe2\x80\x8d",
                                       "\xf0\x9f\x91\xa9",
                                       "\xf0\x9f\x87\xa9",
                                       "\xf0\x9f\x8f\xbd",
                                       "\xe1\x84\x80",
                                       "\xe1\x85\xa1"};
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::BreakIterator> grenzen(
            icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
        QRandomGenerator zufall(4711);
        for (int runde = 0; runde < 2000; ++runde) {
            QByteArray text;
            for (int i = zufall.bounded(40); i > 0; --i)
                text += stuecke[zufall.bounded(int(std::size(stuecke)))];
            const int n = zufall.bounded(12);
            const icu::UnicodeString utf16 = icu::UnicodeString::fromUTF8(text.toStdString());
            grenzen->setText(utf16);
            int32_t grenze = grenzen->first();
            for (int i = 0; i < n && grenze != icu::BreakIterator::DONE; ++i)
                grenze = grenzen->next();
            std::string erwartet;
            utf16.tempSubString(0, grenze == icu::BreakIterator::DONE ? utf16.length() : grenze)
                .toUTF8String(erwartet);
            QCOMPARE(kabel::panicText(text, std::size_t(n)), Bytes(erwartet));
        }
    }

    void auswahl_data() { test::tabelle(QFINDTESTDATA("daten/panicauswahl.txt"), {"pfade", "gewaehlt"}); }
    void auswahl() {
        QFETCH(QByteArray, pfade);
        QTEST(panicKandidatenWaehlen(QString::fromUtf8(pfade).split(' ')).join(' ').toUtf8(), "gewaehlt");
    }

    // A report file: valid, invalid, cut; and what is no report: a directory, a link out.
    void panicDatei() {
        QTemporaryDir dir;
        const auto schreiben = [&](const QString& name, const QByteArray& inhalt) {
            QFile f(dir.filePath(name));
            return f.open(QIODevice::WriteOnly) && f.write(inhalt) == inhalt.size();
        };
        const auto text = [&](const QString& name) {
            const auto log = panicLogLesen(dir.filePath(name));
            return log ? Bytes(log->text) : Bytes();
        };
        QVERIFY(schreiben("Panic-1.ips", "{}\n") && schreiben("panic-2", "a\xff") &&
                schreiben("panic-3", QByteArray(2'000'001, 'x')));
        QCOMPARE(panicLogLesen(dir.filePath("Panic-1.ips"))->datei, "Panic-1.ips");
        QCOMPARE(text("Panic-1.ips"), Bytes("{}\n"));
        QCOMPARE(text("panic-2"), Bytes());
        QCOMPARE(text("panic-3")->size(), 2'000'000u);
        QVERIFY(QDir(dir.path()).mkdir("panic-4") &&
                QFile::link(dir.filePath("Panic-1.ips"), dir.filePath("panic-5")));
        QCOMPARE(text("panic-4"), Bytes());
        QCOMPARE(text("panic-5"), Bytes());
    }
};

KABEL_TEST_MAIN(TestLesungen)
#include "tst_lesungen.moc"
