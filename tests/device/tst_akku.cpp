// Battery figures: the pure parse of the answer, and the read through the fake tool.
#include "device/Akkuauswertung.h"
#include "device/Libimobiledevice.h"
#include "fakes/FakeWerkzeuge.h"

#include <QFile>
#include <QTest>
#include <cstdlib>

using namespace kabel;
using kabel::test::FakeWerkzeuge;

Q_DECLARE_METATYPE(std::optional<Akkudaten>)

namespace {

using Eintraege = QList<std::pair<QString, QString>>;

QByteArray fixture(const QString& name) {
    QFile datei(QStringLiteral(KABEL_FIXTURES) + u'/' + name);
    return datei.open(QIODevice::ReadOnly) ? datei.readAll() : QByteArray();
}

QByteArray plist(const QString& rumpf) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n" + rumpf.toUtf8() +
           "\n</plist>\n";
}

QByteArray alsBinaer(const QByteArray& xml) {
    plist_t wurzel = nullptr;
    plist_from_xml(xml.constData(), static_cast<uint32_t>(xml.size()), &wurzel);
    char* daten = nullptr;
    uint32_t laenge = 0;
    plist_to_bin(wurzel, &daten, &laenge);
    const QByteArray binaer(daten, laenge);
    std::free(daten);
    plist_free(wurzel);
    return binaer;
}

Akkudaten akku(std::optional<qint64> zyklen, std::optional<qint64> design, std::optional<qint64> ist,
               std::optional<double> temperatur) {
    return Akkudaten{zyklen, design, ist, temperatur};
}

const Akkudaten voll = akku(523, 3227, 2810, 30.55);
const Akkudaten leer = akku(std::nullopt, std::nullopt, std::nullopt, std::nullopt);

const Eintraege vierWerte = {{u"CycleCount"_qs, u"<integer>523</integer>"_qs},
                             {u"DesignCapacity"_qs, u"<integer>3227</integer>"_qs},
                             {u"NominalChargeCapacity"_qs, u"<integer>2810</integer>"_qs},
                             {u"Temperature"_qs, u"<integer>3055</integer>"_qs}};

QString dict(const Eintraege& eintraege) {
    QString xml = u"<dict>"_qs;
    for (const auto& [schluessel, wert] : eintraege)
        xml += u"<key>" + schluessel + u"</key>" + wert;
    return xml + u"</dict>";
}

} // namespace

namespace kabel {
// Readable failure messages for QCOMPARE (found by argument-dependent lookup).
char* toString(const Akkudaten& a) {
    const auto text = [](const auto& w) { return w ? QByteArray::number(*w) : QByteArray("-"); };
    const QByteArray zeile = "{zyklen " + text(a.zyklen) + ", design " + text(a.designMah) + ", ist " +
                             text(a.istMah) + ", temperatur " + text(a.temperaturC) + "}";
    return qstrdup(zeile.constData());
}
char* toString(const std::optional<Akkudaten>& a) {
    return a ? toString(*a) : qstrdup("none");
}
} // namespace kabel

class TestAkku : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void answer_data() {
        QTest::addColumn<QByteArray>("ausgabe");
        QTest::addColumn<std::optional<Akkudaten>>("erwartet");

        const QByteArray preset = FakeWerkzeuge::akkuPlist(vierWerte);
        QTest::newRow("IORegistry dict, as the tool prints it") << preset + '\n' << std::optional(voll);
        QTest::newRow("same answer in binary form") << alsBinaer(preset) << std::optional(voll);
        QTest::newRow("keys at the top level, no IORegistry")
            << plist(dict(vierWerte)) << std::optional(voll);
        QTest::newRow("empty IORegistry (libplist 2.2)")
            << FakeWerkzeuge::akkuPlist({}) << std::optional(leer);
        QTest::newRow("empty IORegistry (real, older libplist)")
            << fixture(u"battery-empty-ioregistry-issue689.plist"_qs) << std::optional(leer);
        QTest::newRow("empty IORegistry hides top-level keys")
            << plist(u"<dict><key>IORegistry</key><dict/>"_qs + dict(vierWerte).mid(6))
            << std::optional(leer);
        QTest::newRow("IORegistry as text: top level used")
            << plist(u"<dict><key>IORegistry</key><string>x</string>"_qs + dict(vierWerte).mid(6))
            << std::optional(voll);
        QTest::newRow("empty top-level dict") << plist(u"<dict/>"_qs) << std::optional(leer);
        QTest::newRow("top level is an array")
            << plist(u"<array><dict/></array>"_qs) << std::optional<Akkudaten>();
        QTest::newRow("truncated real answer")
            << fixture(u"battery-fragment-whatbattery-issue1.txt"_qs) << std::optional<Akkudaten>();
        QTest::newRow("error text on stdout")
            << QByteArray("ERROR: Could not connect to lockdownd, error code -19\n")
            << std::optional<Akkudaten>();
        QTest::newRow("empty") << QByteArray() << std::optional<Akkudaten>();
        // libplist 2.2 reads XML and binary only; the old plain-text form is not a property list to it.
        QTest::newRow("old plain-text form")
            << QByteArray("{ IORegistry = { CycleCount = 523; }; }") << std::optional<Akkudaten>();
    }
    void answer() {
        QFETCH(QByteArray, ausgabe);
        QFETCH(std::optional<Akkudaten>, erwartet);
        QVERIFY(!ausgabe.isNull() || erwartet == std::nullopt);
        QCOMPARE(akkudatenAusAntwort(ausgabe), erwartet);
    }

    // The number rule, one key at a time; the other three keys stay at their preset values.
    void numberRule_data() {
        QTest::addColumn<QString>("schluessel");
        QTest::addColumn<QString>("wert");
        QTest::addColumn<Akkudaten>("erwartet");

        const auto mit = [](auto feld, auto wert) {
            Akkudaten a = voll;
            a.*feld = wert;
            return a;
        };
        QTest::newRow("cycles as text") << u"CycleCount"_qs << u"<string>512</string>"_qs
                                        << mit(&Akkudaten::zyklen, std::optional<qint64>());
        QTest::newRow("cycles as real, truncated") << u"CycleCount"_qs << u"<real>523.9</real>"_qs
                                                   << mit(&Akkudaten::zyklen, std::optional<qint64>(523));
        QTest::newRow("negative real toward zero") << u"CycleCount"_qs << u"<real>-2.7</real>"_qs
                                                   << mit(&Akkudaten::zyklen, std::optional<qint64>(-2));
        QTest::newRow("Boolean true")
            << u"CycleCount"_qs << u"<true/>"_qs << mit(&Akkudaten::zyklen, std::optional<qint64>(1));
        QTest::newRow("Boolean false")
            << u"CycleCount"_qs << u"<false/>"_qs << mit(&Akkudaten::zyklen, std::optional<qint64>(0));
        QTest::newRow("data") << u"DesignCapacity"_qs << u"<data>AAE=</data>"_qs
                              << mit(&Akkudaten::designMah, std::optional<qint64>());
        QTest::newRow("date") << u"DesignCapacity"_qs << u"<date>2024-01-01T00:00:00Z</date>"_qs
                              << mit(&Akkudaten::designMah, std::optional<qint64>());
        QTest::newRow("array") << u"DesignCapacity"_qs << u"<array><integer>1</integer></array>"_qs
                               << mit(&Akkudaten::designMah, std::optional<qint64>());
        QTest::newRow("negative integer") << u"DesignCapacity"_qs << u"<integer>-1274</integer>"_qs
                                          << mit(&Akkudaten::designMah, std::optional<qint64>(-1274));
        QTest::newRow("zero is a value") << u"DesignCapacity"_qs << u"<integer>0</integer>"_qs
                                         << mit(&Akkudaten::designMah, std::optional<qint64>(0));
        QTest::newRow("large integer") << u"DesignCapacity"_qs << u"<integer>61784013680697</integer>"_qs
                                       << mit(&Akkudaten::designMah, std::optional<qint64>(61784013680697));
        QTest::newRow("huge real saturates")
            << u"DesignCapacity"_qs << u"<real>1e300</real>"_qs
            << mit(&Akkudaten::designMah, std::optional(std::numeric_limits<qint64>::max()));
        QTest::newRow("temperature 0 is present") << u"Temperature"_qs << u"<integer>0</integer>"_qs
                                                  << mit(&Akkudaten::temperaturC, std::optional(0.0));
        QTest::newRow("temperature real truncated before dividing")
            << u"Temperature"_qs << u"<real>3055.9</real>"_qs
            << mit(&Akkudaten::temperaturC, std::optional(30.55));
        QTest::newRow("negative temperature") << u"Temperature"_qs << u"<integer>-512</integer>"_qs
                                              << mit(&Akkudaten::temperaturC, std::optional(-5.12));
        QTest::newRow("temperature as text") << u"Temperature"_qs << u"<string>3055</string>"_qs
                                             << mit(&Akkudaten::temperaturC, std::optional<double>());
    }
    void numberRule() {
        QFETCH(QString, schluessel);
        QFETCH(QString, wert);
        QFETCH(Akkudaten, erwartet);
        Eintraege eintraege = vierWerte;
        for (auto& [k, v] : eintraege)
            if (k == schluessel)
                v = wert;
        QCOMPARE(akkudatenAusAntwort(FakeWerkzeuge::akkuPlist(eintraege)), std::optional(erwartet));
    }

    void presentCapacity_data() {
        QTest::addColumn<QString>("nominal"); // "" for missing
        QTest::addColumn<QString>("roh");
        QTest::addColumn<std::optional<qint64>>("istMah");

        QTest::newRow("nominal wins")
            << u"<integer>2810</integer>"_qs << u"<integer>2900</integer>"_qs << std::optional<qint64>(2810);
        QTest::newRow("raw when nominal missing")
            << QString() << u"<integer>2900</integer>"_qs << std::optional<qint64>(2900);
        QTest::newRow("raw when nominal is text")
            << u"<string>2810</string>"_qs << u"<integer>2900</integer>"_qs << std::optional<qint64>(2900);
        QTest::newRow("neither") << QString() << QString() << std::optional<qint64>();
    }
    void presentCapacity() {
        QFETCH(QString, nominal);
        QFETCH(QString, roh);
        QFETCH(std::optional<qint64>, istMah);
        Eintraege eintraege;
        if (!roh.isEmpty())
            eintraege.append({u"AppleRawMaxCapacity"_qs, roh});
        if (!nominal.isEmpty())
            eintraege.append({u"NominalChargeCapacity"_qs, nominal});
        const auto ergebnis = akkudatenAusAntwort(FakeWerkzeuge::akkuPlist(eintraege));
        QVERIFY(ergebnis);
        QCOMPARE(ergebnis->istMah, istMah);
    }

    void throughTheTool_data() {
        QTest::addColumn<QString>("fall");
        QTest::addColumn<std::optional<Akkudaten>>("erwartet");

        QTest::newRow("preset phone") << u"preset"_qs << std::optional(akku(523, 3227, 2810, 30.55));
        QTest::newRow("no battery entry published") << u"ohne-eintrag"_qs << std::optional(leer);
        QTest::newRow("status 1 with a valid plist") << u"status"_qs << std::optional<Akkudaten>();
        QTest::newRow("untrusted phone (error on stdout)") << u"misstraut"_qs << std::optional<Akkudaten>();
        QTest::newRow("tool missing") << u"fehlt"_qs << std::optional<Akkudaten>();
    }
    void throughTheTool() {
        QFETCH(QString, fall);
        QFETCH(std::optional<Akkudaten>, erwartet);
        FakeWerkzeuge fakes;
        fakes.iphoneVoreinstellen();
        const QString udid = FakeWerkzeuge::standardUdid();
        if (fall == u"ohne-eintrag")
            fakes.entfernen(u"akku.plist"_qs);
        else if (fall == u"status")
            fakes.akkuSetzen(FakeWerkzeuge::akkuPlist(vierWerte), 1);
        else if (fall == u"misstraut")
            fakes.vertrauenSetzen(udid, false);
        else if (fall == u"fehlt")
            fakes.werkzeugEntfernen(u"idevicediagnostics"_qs);

        QCOMPARE(Libimobiledevice(fakes.werkzeugVerzeichnisse()).akkudatenLesen(udid), erwartet);
        const QList<kabel::test::Aufruf> erwarteteAufrufe =
            fall == u"fehlt"
                ? QList<kabel::test::Aufruf>{}
                : QList<kabel::test::Aufruf>{{u"idevicediagnostics"_qs,
                                              {u"-u"_qs, udid, u"ioregentry"_qs, u"AppleSmartBattery"_qs}}};
        QCOMPARE(fakes.aufrufe(), erwarteteAufrufe);
    }
};

QTEST_GUILESS_MAIN(TestAkku)
#include "tst_akku.moc"
