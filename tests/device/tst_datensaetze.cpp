// The battery health derived from the figures, and the texts of ZugriffFehler.
#include "device/Akkudaten.h"
#include "device/ZugriffFehler.h"

#include <QTest>
#include <limits>

using namespace kabel;

Q_DECLARE_METATYPE(std::optional<qint64>)

class TestDatensaetze : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void zustandProzent_data() {
        QTest::addColumn<std::optional<qint64>>("design");
        QTest::addColumn<std::optional<qint64>>("ist");
        QTest::addColumn<std::optional<qint64>>("prozent");

        using O = std::optional<qint64>;
        constexpr qint64 gross = std::numeric_limits<qint64>::max();
        QTest::newRow("90") << O(3000) << O(2700) << O(90);
        QTest::newRow("99.5 rounds half up to 100") << O(3000) << O(2985) << O(100);
        QTest::newRow("103.3 limited to 100") << O(3000) << O(3100) << O(100);
        QTest::newRow("33") << O(3000) << O(1000) << O(33);
        QTest::newRow("preset phone 87.08") << O(3227) << O(2810) << O(87);
        QTest::newRow("design 1, present 0") << O(1) << O(0) << O(0);
        QTest::newRow("design 0") << O(0) << O(2700) << O();
        QTest::newRow("negative design") << O(-3000) << O(2700) << O();
        QTest::newRow("design missing") << O() << O(2700) << O();
        QTest::newRow("present missing") << O(3000) << O() << O();
        QTest::newRow("negative half rounds away from zero") << O(200) << O(-1) << O(-1);
        QTest::newRow("negative present") << O(3000) << O(-1500) << O(-50);
        QTest::newRow("absurdly large present") << O(1) << O(gross) << O(100);
        QTest::newRow("absurdly negative present")
            << O(1) << O(std::numeric_limits<qint64>::min()) << O(std::numeric_limits<qint64>::min());
    }
    void zustandProzent() {
        QFETCH(std::optional<qint64>, design);
        QFETCH(std::optional<qint64>, ist);
        QFETCH(std::optional<qint64>, prozent);
        Akkudaten akku;
        akku.designMah = design;
        akku.istMah = ist;
        akku.zyklen = 523;
        akku.temperaturC = 30.55;
        QCOMPARE(kabel::zustandProzent(akku), prozent);
    }

    void fehlerTexte_data() {
        QTest::addColumn<ZugriffFehler>("fehler");
        QTest::addColumn<QString>("text");

        QTest::newRow("lesen carries its text")
            << ZugriffFehler::lesen(
                   u"Das iPhone antwortet nicht. Bitte entsperrt lassen und erneut versuchen."_qs)
            << u"Das iPhone antwortet nicht. Bitte entsperrt lassen und erneut versuchen."_qs;
        QTest::newRow("lesen with any text") << ZugriffFehler::lesen(u"x „y“"_qs) << u"x „y“"_qs;
        QTest::newRow("werkzeugFehlt")
            << ZugriffFehler::werkzeugFehlt()
            << u"Die Gerätebibliothek fehlt. Bitte Sondit Kabel neu installieren."_qs;
        QTest::newRow("nichtGekoppelt")
            << ZugriffFehler::nichtGekoppelt()
            << u"Auf dem iPhone \u201EVertrauen\u201C tippen und den Code eingeben."_qs;
    }
    void fehlerTexte() {
        QFETCH(ZugriffFehler, fehler);
        QFETCH(QString, text);
        QCOMPARE(fehler.errorDescription(), text);
        QCOMPARE(beschreibung(Fehler(fehler)), text);
    }

    void startFehlerText() {
        QCOMPARE(beschreibung(Fehler(StartFehler{u"execve: Permission denied"_qs})),
                 u"execve: Permission denied"_qs);
    }
};

QTEST_GUILESS_MAIN(TestDatensaetze)
#include "tst_datensaetze.moc"
