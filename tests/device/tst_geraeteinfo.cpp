// The identity read against the fake ideviceinfo.
#include "device/Libimobiledevice.h"
#include "fakes/FakeWerkzeuge.h"

#include <QTest>

using namespace kabel;
using kabel::test::Aufruf;
using kabel::test::FakeWerkzeuge;

namespace {

const QString udid = FakeWerkzeuge::standardUdid();
const QStringList schluessel = {u"ProductType"_qs,
                                u"ProductVersion"_qs,
                                u"SerialNumber"_qs,
                                u"InternationalMobileEquipmentIdentity"_qs,
                                u"InternationalMobileEquipmentIdentity2"_qs,
                                u"ActivationState"_qs};
const QString antwortetNicht = u"Das iPhone antwortet nicht. Bitte entsperrt lassen und erneut versuchen."_qs;

QList<Aufruf> infoAufrufe(qsizetype anzahl) {
    QList<Aufruf> liste;
    for (qsizetype i = 0; i < anzahl; ++i)
        liste.append({u"ideviceinfo"_qs, {u"-u"_qs, udid, u"-k"_qs, schluessel[i]}});
    return liste;
}

} // namespace

class TestGeraeteinfo : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void fullIdentity() {
        FakeWerkzeuge fakes;
        fakes.iphoneVoreinstellen();
        const auto daten = Libimobiledevice(fakes.werkzeugVerzeichnisse()).geraetedatenLesen(udid);
        QVERIFY(daten);
        const Geraetedaten erwartet{u"iPhone14,5"_qs,      u"17.5.1"_qs,          u"F2LXQ0ABCD12"_qs,
                                    u"356789101234567"_qs, u"356789101234575"_qs, u"Activated"_qs};
        QCOMPARE(*daten, erwartet);
        QCOMPARE(fakes.aufrufe(), infoAufrufe(6));
    }

    void laterValues_data() {
        QTest::addColumn<QByteArray>("imei2"); // what the tool prints for IMEI2; "-" for no file
        QTest::addColumn<int>("status");       // the tool's status for every key
        QTest::addColumn<QString>("erwartet"); // "" for absent

        QTest::newRow("single SIM: nothing printed") << QByteArray("-") << 0 << QString();
        QTest::newRow("white space only") << QByteArray(" \n") << 0 << QString();
        QTest::newRow("value with CR LF") << QByteArray("356789101234575\r\n") << 0 << u"356789101234575"_qs;
        QTest::newRow("value despite status 1")
            << QByteArray("356789101234575\n") << 1 << u"356789101234575"_qs;
    }
    void laterValues() {
        QFETCH(QByteArray, imei2);
        QFETCH(int, status);
        QFETCH(QString, erwartet);
        FakeWerkzeuge fakes;
        fakes.iphoneVoreinstellen();
        if (imei2 == "-")
            fakes.entfernen(u"info/InternationalMobileEquipmentIdentity2"_qs);
        else
            fakes.infoSetzen(u"InternationalMobileEquipmentIdentity2"_qs, imei2);
        if (status != 0)
            fakes.statusSetzen(u"ideviceinfo"_qs, status);
        const auto daten = Libimobiledevice(fakes.werkzeugVerzeichnisse()).geraetedatenLesen(udid);
        QVERIFY(daten);
        QCOMPARE(daten->imei2, erwartet.isEmpty() ? std::nullopt : std::optional(erwartet));
        QCOMPARE(daten->aktivierung, std::optional(u"Activated"_qs));
        QCOMPARE(fakes.aufrufe().size(), 6);
    }

    // Every way of not getting a model stops after the first run, with the same text.
    void noModel_data() {
        QTest::addColumn<QString>("fall");
        QTest::newRow("key prints nothing") << u"leer"_qs;
        QTest::newRow("phone untrusted (error on stderr)") << u"misstraut"_qs;
        QTest::newRow("phone unplugged (1.3.0 error on stdout, status 255)") << u"weg"_qs;
        QTest::newRow("tool missing") << u"fehlt"_qs;
    }
    void noModel() {
        QFETCH(QString, fall);
        FakeWerkzeuge fakes;
        fakes.iphoneVoreinstellen();
        if (fall == u"leer")
            fakes.entfernen(u"info/ProductType"_qs);
        else if (fall == u"misstraut")
            fakes.vertrauenSetzen(udid, false);
        else if (fall == u"weg")
            fakes.geraeteSetzen({});
        else
            fakes.werkzeugEntfernen(u"ideviceinfo"_qs);

        const auto daten = Libimobiledevice(fakes.werkzeugVerzeichnisse()).geraetedatenLesen(udid);
        QVERIFY(!daten);
        QCOMPARE(daten.error(), Fehler(ZugriffFehler::lesen(antwortetNicht)));
        QCOMPARE(beschreibung(daten.error()), antwortetNicht);
        QCOMPARE(fakes.aufrufe(), infoAufrufe(fall == u"fehlt" ? 0 : 1));
    }

    void infoWertSingle() {
        FakeWerkzeuge fakes;
        fakes.iphoneVoreinstellen();
        fakes.infoSetzen(u"BatteryIsCharging"_qs, "false\n");
        const Libimobiledevice zugriff(fakes.werkzeugVerzeichnisse());
        QCOMPARE(zugriff.infoWert(u"BatteryIsCharging"_qs, udid), std::optional(u"false"_qs));
        QCOMPARE(zugriff.infoWert(u"Unbekannt"_qs, udid), std::nullopt);
    }
};

QTEST_GUILESS_MAIN(TestGeraeteinfo)
#include "tst_geraeteinfo.moc"
