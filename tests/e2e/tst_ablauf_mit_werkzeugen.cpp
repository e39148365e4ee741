#include "Testdienst.h"
#include "Testumgebung.h"
#include "device/Libimobiledevice.h"
#include "fakes/FakeWerkzeuge.h"
#include "flow/KabelAblauf.h"

#include <QSettings>
#include <QTest>

using namespace kabel;
using namespace kabel::test;

// The controller with the real tool runner and the fake tools, in one process, so the steps the
// window shows can be followed through a whole check.
class TestAblaufMitWerkzeugen : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void unvertrautDannVertraut();
    void gesperrtDannErneutVersuchen();
    void werkzeugeFehlen();

private:
    // Every step the controller took, in order, without repeats.
    QList<Schritt::Fall> schritte() const { return m_schritte; }
    void beobachten(KabelAblauf& ablauf);

    std::unique_ptr<FakeWerkzeuge> m_werkzeuge;
    QList<Schritt::Fall> m_schritte;
};

namespace {

const QString unlesbar =
    QStringLiteral("Das iPhone antwortet nicht. Bitte entsperrt lassen und erneut versuchen.");

} // namespace

void TestAblaufMitWerkzeugen::init() {
    QSettings().clear();
    m_werkzeuge = std::make_unique<FakeWerkzeuge>();
    QVERIFY(m_werkzeuge->gueltig());
    m_werkzeuge->iphoneVoreinstellen();
    m_schritte.clear();
}

void TestAblaufMitWerkzeugen::beobachten(KabelAblauf& ablauf) {
    connect(&ablauf, &KabelAblauf::wirdGeaendert, this, [this, &ablauf] {
        // The new value is stored right after the announcement.
        QMetaObject::invokeMethod(
            this,
            [this, &ablauf] {
                if (m_schritte.isEmpty() || m_schritte.last() != ablauf.schritt().fall())
                    m_schritte.append(ablauf.schritt().fall());
            },
            Qt::QueuedConnection);
    });
}

void TestAblaufMitWerkzeugen::unvertrautDannVertraut() {
    m_werkzeuge->vertrauenSetzen(FakeWerkzeuge::standardUdid(), false);
    Testdienst dienst;
    KabelAblauf ablauf(std::make_shared<Libimobiledevice>(m_werkzeuge->werkzeugVerzeichnisse()),
                       std::chrono::milliseconds(50));
    beobachten(ablauf);
    ablauf.linkOeffnen(dienst.link());
    QTRY_COMPARE_WITH_TIMEOUT(ablauf.schritt(), Schritt::wartetAufVertrauen(), 10000);
    QTRY_COMPARE(m_werkzeuge->aufrufe(QStringLiteral("idevicepair")).size(), 2); // validate, pair

    m_werkzeuge->vertrauenSetzen(FakeWerkzeuge::standardUdid(), true);
    QTRY_COMPARE_WITH_TIMEOUT(ablauf.schritt().fall(), Schritt::Fall::fertig, 10000);
    QCOMPARE(ablauf.schritt().text(),
             QStringLiteral("An Werkora gesendet. Die Kopplung mit dem iPhone wurde entfernt."));
    QCOMPARE(schritte(), (QList<Schritt::Fall>{Schritt::Fall::ohneLink, Schritt::Fall::wartetAufGeraet,
                                               Schritt::Fall::wartetAufVertrauen, Schritt::Fall::liest,
                                               Schritt::Fall::sendet, Schritt::Fall::fertig}));
    QCOMPARE(ablauf.geraet()->produkt, QStringLiteral("iPhone14,5"));
    QCOMPARE(ablauf.akku(), std::optional<Akkudaten>(Akkudaten{523, 3227, 2810, 30.55}));
    QCOMPARE(ablauf.panicAnzahl(), 3);
    QCOMPARE(m_werkzeuge->aufrufe().last().argumente.last(), QStringLiteral("unpair"));
}

void TestAblaufMitWerkzeugen::gesperrtDannErneutVersuchen() {
    m_werkzeuge->entfernen(QStringLiteral("info/ProductType"));
    Testdienst dienst;
    KabelAblauf ablauf(std::make_shared<Libimobiledevice>(m_werkzeuge->werkzeugVerzeichnisse()),
                       std::chrono::milliseconds(50));
    ablauf.linkOeffnen(dienst.link());
    QTRY_COMPARE_WITH_TIMEOUT(ablauf.schritt(), Schritt::fehler(unlesbar), 10000);
    QCOMPARE(m_werkzeuge->aufrufe(QStringLiteral("ideviceinfo")).size(), 1);
    QCOMPARE(dienst.anzahl("POST"), 0);

    // Unlocked now: "Erneut versuchen" reads the phone again and sends to the same address.
    m_werkzeuge->infoSetzen(QStringLiteral("ProductType"), "iPhone14,5\n");
    ablauf.sucheStarten();
    QTRY_COMPARE_WITH_TIMEOUT(ablauf.schritt().fall(), Schritt::Fall::fertig, 10000);
    QCOMPARE(dienst.anzahl("GET"), 1);
    QCOMPARE(dienst.anzahl("POST"), 1);
    QCOMPARE(m_werkzeuge->aufrufe(QStringLiteral("ideviceinfo")).size(), 7);
}

// Without any tool the check waits for a phone quietly, as with no phone at all.
void TestAblaufMitWerkzeugen::werkzeugeFehlen() {
    for (const QString& name : FakeWerkzeuge::werkzeugNamen())
        m_werkzeuge->werkzeugEntfernen(name);
    Testdienst dienst;
    KabelAblauf ablauf(std::make_shared<Libimobiledevice>(m_werkzeuge->werkzeugVerzeichnisse()),
                       std::chrono::milliseconds(20));
    beobachten(ablauf);
    ablauf.linkOeffnen(dienst.link());
    QTRY_COMPARE(ablauf.schritt(), Schritt::wartetAufGeraet());
    QTest::qWait(200);
    QCOMPARE(ablauf.schritt(), Schritt::wartetAufGeraet());
    QCOMPARE(schritte(), (QList<Schritt::Fall>{Schritt::Fall::ohneLink, Schritt::Fall::wartetAufGeraet}));
}

KABEL_TEST_MAIN(TestAblaufMitWerkzeugen)
#include "tst_ablauf_mit_werkzeugen.moc"
