// The readings as pure functions of a tool's answer: recorded answers in, records out.
#include "Testumgebung.h"
#include "device/Akkuantwort.h"
#include "device/Geraeteliste.h"
#include "device/Infowert.h"
#include "device/Panicauswahl.h"
#include "device/Panicdatei.h"

#include <QRandomGenerator>
#include <unicode/brkiter.h>

using namespace kabel;
using Text = std::optional<QString>;
using Akku = std::optional<Akkudaten>;
using Bytes = std::optional<std::string>;
using Zahl = std::optional<qint64>;

namespace {

QByteArray datei(const QString& name) {
    QFile f(QFINDTESTDATA(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : "missing " + name.toUtf8();
}

// A battery answer holding `eintraege` ("<key>K</key><integer>1</integer>…") in its IORegistry.
QByteArray registry(const QByteArray& eintraege, const QByteArray& oben = {}) {
    return "<plist><dict>" + oben + "<key>IORegistry</key><dict>" + eintraege + "</dict></dict></plist>";
}

} // namespace

class TestLesungen : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void liste_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("ausgabe");
        QTest::addColumn<QStringList>("udids");
        QTest::newRow("two phones, a blank line between")
            << 0 << QByteArray("a1\n\nb2\n") << QStringList{"a1", "b2"};
        QTest::newRow("only white space") << 0 << QByteArray(" \n\t\n") << QStringList();
        QTest::newRow("inner blanks stay, outer go")
            << 0 << QByteArray(" a1  \nb2  \n") << QStringList{"a1  ", "b2"};
        QTest::newRow("a non-zero status still lists") << 1 << QByteArray("a1\n") << QStringList{"a1"};
    }
    void liste() {
        QFETCH(int, status);
        QFETCH(QByteArray, ausgabe);
        QTEST(geraeteAusListe({status, ausgabe}), "udids");
    }

    void infoWert_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("ausgabe");
        QTest::addColumn<Text>("wert");
        QTest::newRow("value and line feed") << 0 << QByteArray("iPhone14,5\n") << Text("iPhone14,5");
        QTest::newRow("key without value prints nothing") << 0 << QByteArray() << Text();
        QTest::newRow("only white space") << 0 << QByteArray(" \r\n") << Text();
        QTest::newRow("a value counts whatever the status") << 1 << QByteArray("17.5.1\n") << Text("17.5.1");
        QTest::newRow("1.3.0 says not found on stdout")
            << 255 << QByteArray("ERROR: Device 0A not found!\n") << Text();
        QTest::newRow("ERROR: with status 0 is a value") << 0 << QByteArray("ERROR: x\n") << Text("ERROR: x");
        QTest::newRow("one U+FFFD per malformed sequence")
            << 0 << QByteArray("a\xe2\x82z\xff") << Text("a\uFFFDz\uFFFD");
        QTest::newRow("Unicode spaces trimmed")
            << 0 << QByteArray("\xc2\xa0 Activated \xe2\x80\xa8") << Text("Activated");
    }
    void infoWert() {
        QFETCH(int, status);
        QFETCH(QByteArray, ausgabe);
        QTEST(infoWertAusAntwort({status, ausgabe}), "wert");
    }

    void akku_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("ausgabe");
        QTest::addColumn<Akku>("akku");
        const auto nur = [](const char* k, const char* v) {
            return registry("<key>" + QByteArray(k) + "</key>" + v);
        };
        const QByteArray raw = "<key>AppleRawMaxCapacity</key><integer>2900</integer>";
        QTest::newRow("tool answer of a trusted phone")
            << 0 << datei("../support/daten/iphone-akku.plist") << Akku(Akkudaten{523, 3227, 2810, 30.55});
        QTest::newRow("binary form, real temperature")
            << 0 << datei("fixtures/akku-binaer.plist") << Akku(Akkudaten{87, 1821, 1702, 29.50});
        QTest::newRow("keys at the top level")
            << 0 << QByteArray("<plist><dict><key>CycleCount</key><integer>7</integer></dict></plist>")
            << Akku(Akkudaten{7, {}, {}, {}});
        QTest::newRow("empty IORegistry hides the top level")
            << 0 << registry({}, "<key>CycleCount</key><integer>7</integer>") << Akku(Akkudaten{});
        QTest::newRow("recorded empty registry entry")
            << 0 << datei("fixtures/battery-empty-ioregistry-issue689.plist") << Akku(Akkudaten{});
        QTest::newRow("recorded truncated answer")
            << 0 << datei("fixtures/battery-fragment-whatbattery-issue1.txt") << Akku();
        QTest::newRow("status 1 with a valid answer")
            << 1 << datei("../support/daten/iphone-akku.plist") << Akku();
        QTest::newRow("top level is an array") << 0 << QByteArray("<plist><array/></plist>") << Akku();
        QTest::newRow("nominal capacity wins")
            << 0 << registry("<key>NominalChargeCapacity</key><integer>2810</integer>" + raw)
            << Akku(Akkudaten{{}, {}, 2810, {}});
        QTest::newRow("nominal as text: the raw one")
            << 0 << registry("<key>NominalChargeCapacity</key><string>2810</string>" + raw)
            << Akku(Akkudaten{{}, {}, 2900, {}});
        QTest::newRow("digits as text are no number")
            << 0 << nur("CycleCount", "<string>512</string>") << Akku(Akkudaten{});
        QTest::newRow("true counts as 1")
            << 0 << nur("CycleCount", "<true/>") << Akku(Akkudaten{1, {}, {}, {}});
        QTest::newRow("temperature 0 is present")
            << 0 << nur("Temperature", "<integer>0</integer>") << Akku(Akkudaten{{}, {}, {}, 0.0});
        QTest::newRow("real truncated toward zero")
            << 0 << nur("DesignCapacity", "<real>-2.9</real>") << Akku(Akkudaten{{}, -2, {}, {}});
        QTest::newRow("huge real saturates")
            << 0 << nur("DesignCapacity", "<real>1e300</real>")
            << Akku(Akkudaten{{}, std::numeric_limits<qint64>::max(), {}, {}});
        QTest::newRow("binary, 32 levels deep")
            << 0 << datei("fixtures/akku-tief-32.plist") << Akku(Akkudaten{7, {}, {}, {}});
        QTest::newRow("binary, 33 levels deep") << 0 << datei("fixtures/akku-tief-33.plist") << Akku();
        QTest::newRow("XML, 33 levels deep") << 0
                                             << registry("<key>x</key>" + QByteArray("<array>").repeated(31) +
                                                         QByteArray("</array>").repeated(31))
                                             << Akku();
        QTest::newRow("XML, 200,000 levels deep")
            << 0
            << registry("<key>x</key>" + QByteArray("<array>").repeated(200'000) +
                        QByteArray("</array>").repeated(200'000))
            << Akku();
        QTest::newRow("NaN is no figure")
            << 0 << nur("DesignCapacity", "<real>nan</real>") << Akku(Akkudaten{});
    }
    void akku() {
        QFETCH(int, status);
        QFETCH(QByteArray, ausgabe);
        QTEST(akkudatenAusAntwort({status, ausgabe}), "akku");
    }

    void zustand_data() {
        QTest::addColumn<Zahl>("design");
        QTest::addColumn<Zahl>("ist");
        QTest::addColumn<Zahl>("prozent");
        QTest::newRow("99.5 rounds up") << Zahl(3000) << Zahl(2985) << Zahl(100);
        QTest::newRow("above 100 is limited") << Zahl(3000) << Zahl(3100) << Zahl(100);
        QTest::newRow("a third") << Zahl(3000) << Zahl(1000) << Zahl(33);
        QTest::newRow("design 1, nothing left") << Zahl(1) << Zahl(0) << Zahl(0);
        QTest::newRow("design 0") << Zahl(0) << Zahl(10) << Zahl();
        QTest::newRow("no capacity today") << Zahl(3000) << Zahl() << Zahl();
        QTest::newRow("absurd values do not fail") << Zahl(1) << Zahl(std::numeric_limits<qint64>::min())
                                                   << Zahl(std::numeric_limits<qint64>::min());
    }
    void zustand() {
        QFETCH(Zahl, design);
        QFETCH(Zahl, ist);
        QTEST(zustandProzent(Akkudaten{{}, design, ist, {}}), "prozent");
    }

    void panicText_data() {
        QTest::addColumn<QByteArray>("inhalt");
        QTest::addColumn<int>("hoechstens");
        QTest::addColumn<Bytes>("text");
        QTest::newRow("exactly the limit") << QByteArray("abc") << 3 << Bytes("abc");
        QTest::newRow("cut after the limit") << QByteArray("abcd") << 3 << Bytes("abc");
        QTest::newRow("empty") << QByteArray() << 3 << Bytes("");
        QTest::newRow("CR LF is one character") << QByteArray("a\r\nb") << 2 << Bytes("a\r\n");
        QTest::newRow("combining accent stays") << QByteArray("e\xcc\x81xy") << 1 << Bytes("e\xcc\x81");
        QTest::newRow("invalid byte") << QByteArray("ab\xff") << 9 << Bytes();
        QTest::newRow("truncated at the end") << QByteArray("ab\xe2\x82") << 9 << Bytes();
        QTest::newRow("overlong slash") << QByteArray("\xc0\xaf") << 9 << Bytes();
        QTest::newRow("encoded surrogate") << QByteArray("\xed\xa0\x80") << 9 << Bytes();
        QTest::newRow("above U+10FFFF") << QByteArray("\xf4\x90\x80\x80") << 9 << Bytes();
        QTest::newRow("invalid after the cut still refuses") << QByteArray("abc\xff") << 1 << Bytes();
    }
    void panicText() {
        QFETCH(QByteArray, inhalt);
        QFETCH(int, hoechstens);
        QTEST(kabel::panicText(inhalt, std::size_t(hoechstens)), "text");
    }

    // Random texts of awkward pieces, cut at random limits, against ICU's own count over UTF-16.
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

    void auswahl_data() {
        QTest::addColumn<QStringList>("pfade");
        QTest::addColumn<QStringList>("gewaehlt");
        QStringList zwoelf;
        for (int i = 12; i >= 1; --i)
            zwoelf << QString("/w/panic-%1.ips").arg(i, 2, 10, QChar('0'));
        QTest::newRow("the ten highest of twelve")
            << QList(zwoelf.rbegin(), zwoelf.rend()) << zwoelf.mid(0, 10);
        QTest::newRow("case-blind prefix, other names out")
            << QStringList{"/w/Panic-base.ips", "/w/xpanic.ips", "/w/kernel-panic.ips"}
            << QStringList{"/w/Panic-base.ips"};
        QTest::newRow("lower case above upper case")
            << QStringList{"/w/panic-A", "/w/panic-a"} << QStringList{"/w/panic-a", "/w/panic-A"};
        QTest::newRow("subdirectories by file name")
            << QStringList{"/w/R/panic-1", "/w/panic-0", "/w/R"} << QStringList{"/w/R/panic-1", "/w/panic-0"};
        QTest::newRow("canonically equal names keep their order")
            << QStringList{"/a/panic-\u00e4", "/b/panic-a\u0308"}
            << QStringList{"/a/panic-\u00e4", "/b/panic-a\u0308"};
        QTest::newRow("beyond U+FFFF above U+FFEF") << QStringList{"/w/panic-\uffef", "/w/panic-\U0001F600"}
                                                    << QStringList{"/w/panic-\U0001F600", "/w/panic-\uffef"};
    }
    void auswahl() {
        QFETCH(QStringList, pfade);
        QTEST(panicKandidatenWaehlen(pfade), "gewaehlt");
    }

    void panicDatei_data() {
        QTest::addColumn<QByteArray>("inhalt");
        QTest::addColumn<QString>("art");
        QTest::addColumn<Bytes>("text");
        QTest::newRow("valid report")
            << QByteArray("{\"bug_type\":\"210\"}\n") << "datei" << Bytes("{\"bug_type\":\"210\"}\n");
        QTest::newRow("invalid byte") << QByteArray("a\xff") << "datei" << Bytes();
        QTest::newRow("2,000,001 characters")
            << QByteArray(2'000'001, 'x') << "datei" << Bytes(std::string(2'000'000, 'x'));
        QTest::newRow("directory named panic") << QByteArray() << "verzeichnis" << Bytes();
        QTest::newRow("link to a file of this computer") << QByteArray("geheim") << "link" << Bytes();
    }
    void panicDatei() {
        QFETCH(QByteArray, inhalt);
        QFETCH(QString, art);
        QTemporaryDir dir;
        const QString pfad = dir.filePath("Panic-1.ips");
        QFile f(art == "datei" ? pfad : dir.filePath("anderswo"));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(inhalt) == inhalt.size());
        f.close();
        QVERIFY(art != "verzeichnis" || QDir().mkdir(pfad));
        QVERIFY(art != "link" || QFile::link(f.fileName(), pfad));
        const std::optional<PanicLog> log = panicLogLesen(pfad);
        QTEST(log ? Bytes(log->text) : Bytes(), "text");
        QVERIFY(!log || log->datei == "Panic-1.ips");
    }
};

KABEL_TEST_MAIN(TestLesungen)
#include "tst_lesungen.moc"
