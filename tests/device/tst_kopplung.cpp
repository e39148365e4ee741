// Listing and pairing against the fake tools.
#include "device/Libimobiledevice.h"
#include "fakes/FakeWerkzeuge.h"

#include <QTest>

using namespace kabel;
using kabel::test::Aufruf;
using kabel::test::FakeWerkzeuge;

class TestKopplung : public QObject {
    Q_OBJECT

    static const inline QString udid = FakeWerkzeuge::standardUdid();

private Q_SLOTS:
    void listing_data() {
        QTest::addColumn<QByteArray>("ausgabe");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("geraete");

        const QString zweite = u"0d6503b781436c1ffe74629881f31700ce467c6a"_qs;
        QTest::newRow("one") << udid.toUtf8() + '\n' << 0 << QStringList{udid};
        QTest::newRow("two with a blank line between") << udid.toUtf8() + "\n\n" + zweite.toUtf8() + '\n'
                                                       << 0 << QStringList{udid, zweite};
        QTest::newRow("nothing attached") << QByteArray() << 0 << QStringList{};
        QTest::newRow("white space only") << QByteArray(" \n\t\n") << 0 << QStringList{};
        QTest::newRow("trailing blanks: inner kept, last trimmed")
            << udid.toUtf8() + "  \n" + zweite.toUtf8() + "  \n"
            << 0 << QStringList{udid + u"  ", zweite};
        QTest::newRow("status 1 still read") << udid.toUtf8() + '\n' << 1 << QStringList{udid};
    }
    void listing() {
        QFETCH(QByteArray, ausgabe);
        QFETCH(int, status);
        QFETCH(QStringList, geraete);
        FakeWerkzeuge fakes;
        QVERIFY(fakes.gueltig());
        fakes.geraeteSetzen(ausgabe, status);
        const auto liste = Libimobiledevice(fakes.werkzeugVerzeichnisse()).geraete();
        QVERIFY(liste);
        QCOMPARE(*liste, geraete);
        QCOMPARE(fakes.aufrufe(), (QList<Aufruf>{{u"idevice_id"_qs, {u"-l"_qs}}}));
    }

    // Without usbmuxd the real tool prints only on stderr and exits 255: an empty list.
    void listingWithoutUsbmuxd() {
        FakeWerkzeuge fakes;
        fakes.geraeteSetzen(udid.toUtf8() + '\n');
        fakes.ohneUsbmuxd(true);
        const auto liste = Libimobiledevice(fakes.werkzeugVerzeichnisse()).geraete();
        QVERIFY(liste);
        QVERIFY(liste->isEmpty());
    }

    void missingTools() {
        FakeWerkzeuge fakes;
        fakes.iphoneVoreinstellen();
        fakes.werkzeugEntfernen(u"idevice_id"_qs);
        fakes.werkzeugEntfernen(u"idevicepair"_qs);
        const Libimobiledevice zugriff(fakes.werkzeugVerzeichnisse());

        const auto liste = zugriff.geraete();
        QVERIFY(!liste);
        QCOMPARE(liste.error(), Fehler(ZugriffFehler::werkzeugFehlt()));
        QVERIFY(!zugriff.istGekoppelt(udid));
        const auto kopplung = zugriff.koppeln(udid);
        QVERIFY(!kopplung);
        QCOMPARE(kopplung.error(), Fehler(ZugriffFehler::werkzeugFehlt()));
        zugriff.entkoppeln(udid);
        QVERIFY(fakes.aufrufe().isEmpty());
    }

    void pairing_data() {
        QTest::addColumn<bool>("vertraut");
        QTest::addColumn<QString>("antwort"); // how an untrusted phone answers
        QTest::addColumn<bool>("angeschlossen");
        QTest::addColumn<bool>("gekoppelt");  // istGekoppelt
        QTest::addColumn<bool>("kopplungOk"); // koppeln succeeds

        QTest::newRow("trusted") << true << u"ausstehend"_qs << true << true << true;
        QTest::newRow("dialog pending") << false << u"ausstehend"_qs << true << false << false;
        QTest::newRow("user denied") << false << u"abgelehnt"_qs << true << false << false;
        QTest::newRow("passcode set") << false << u"code"_qs << true << false << false;
        QTest::newRow("stale pair record") << false << u"veraltet"_qs << true << false << false;
        QTest::newRow("unplugged") << true << u"ausstehend"_qs << false << false << false;
    }
    void pairing() {
        QFETCH(bool, vertraut);
        QFETCH(QString, antwort);
        QFETCH(bool, angeschlossen);
        QFETCH(bool, gekoppelt);
        QFETCH(bool, kopplungOk);
        FakeWerkzeuge fakes;
        fakes.geraeteSetzen(angeschlossen ? udid.toUtf8() + '\n' : QByteArray());
        fakes.vertrauenSetzen(udid, vertraut);
        fakes.kopplungsantwortSetzen(antwort);
        const Libimobiledevice zugriff(fakes.werkzeugVerzeichnisse());

        QCOMPARE(zugriff.istGekoppelt(udid), gekoppelt);
        const auto kopplung = zugriff.koppeln(udid);
        QCOMPARE(kopplung.has_value(), kopplungOk);
        if (!kopplungOk)
            QCOMPARE(kopplung.error(), Fehler(ZugriffFehler::nichtGekoppelt()));
        zugriff.entkoppeln(udid);
        QCOMPARE(fakes.aufrufe(), (QList<Aufruf>{{u"idevicepair"_qs, {u"-u"_qs, udid, u"validate"_qs}},
                                                 {u"idevicepair"_qs, {u"-u"_qs, udid, u"pair"_qs}},
                                                 {u"idevicepair"_qs, {u"-u"_qs, udid, u"unpair"_qs}}}));
    }

    // The phone starts trusting during the first pair request; unpair then removes the trust.
    void trustArrivesAfterPairRequest() {
        FakeWerkzeuge fakes;
        fakes.geraeteSetzen(udid.toUtf8() + '\n');
        fakes.vertrauenBeiKopplung(true);
        const Libimobiledevice zugriff(fakes.werkzeugVerzeichnisse());
        QVERIFY(!zugriff.istGekoppelt(udid));
        QVERIFY(!zugriff.koppeln(udid));
        QVERIFY(zugriff.istGekoppelt(udid));
        zugriff.entkoppeln(udid);
        QVERIFY(!zugriff.istGekoppelt(udid));
    }

    // Status decides, not the text: a SUCCESS line with status 1 is no pairing.
    void statusDecidesNotText() {
        FakeWerkzeuge fakes;
        fakes.iphoneVoreinstellen();
        fakes.statusSetzen(u"idevicepair"_qs, 1);
        const Libimobiledevice zugriff(fakes.werkzeugVerzeichnisse());
        QVERIFY(!zugriff.istGekoppelt(udid));
        QCOMPARE(zugriff.koppeln(udid).error(), Fehler(ZugriffFehler::nichtGekoppelt()));
    }
};

QTEST_GUILESS_MAIN(TestKopplung)
#include "tst_kopplung.moc"
