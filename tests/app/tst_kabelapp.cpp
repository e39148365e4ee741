// The application shell in process: link delivery, the closed window, and the per-user socket.
#include "FakeZugriff.h"
#include "Testdienst.h"
#include "Widgettest.h"
#include "app/Einzelinstanz.h"
#include "app/KabelAnsicht.h"
#include "app/KabelApp.h"
#include "flow/KabelAblauf.h"

#include <QFile>
#include <QFileOpenEvent>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QStandardPaths>
#include <future>

using namespace kabel;
using kabel::test::FakeZugriff;
using kabel::test::Testdienst;

namespace {

const QString fremderLink = QStringLiteral("sondit-kabel://lesen?ziel=https%3A%2F%2Fboese.example%2Fx");

// A process handing over a link blocks until the instance answers, so it runs on its own thread
// while this one keeps the event loop going.
std::future<bool> weitergebenImHintergrund(const QString& name, std::optional<QString> link) {
    return std::async(std::launch::async, [name, link] { return Einzelinstanz(name).weitergeben(link); });
}

} // namespace

class TestKabelApp : public QObject {
    Q_OBJECT

private:
    QString m_name;
    int m_nummer = 0;

private Q_SLOTS:
    void init() {
        // A fresh name per test, in the test's own runtime directory.
        m_name = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) + u"/instanz-" +
                 QString::number(++m_nummer);
    }

    void standardNameIstProNutzer() {
        const QString name = Einzelinstanz::standardName();
        QVERIFY(name.startsWith(QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) + u'/'));
        QVERIFY(name.endsWith(u'-' + QString::number(::getuid())));
    }

    void nachSchliessenErreichtDerLinkDenselbenController() {
        Testdienst dienst;
        Einzelinstanz instanz(m_name);
        QVERIFY(instanz.starten());
        KabelApp app(std::make_shared<FakeZugriff>());
        app.bedienen(instanz);
        app.fensterZeigen();
        QVERIFY(QTest::qWaitForWindowExposed(&app.fenster()));
        app.ablauf().setKopplungEntfernen(false);
        KabelAblauf* const vorher = &app.ablauf();

        app.fenster().close();
        QVERIFY(!app.fenster().isVisible());
        auto erledigt = weitergebenImHintergrund(m_name, dienst.link().toString(QUrl::FullyEncoded));
        QTRY_COMPARE_WITH_TIMEOUT(dienst.anzahl("GET"), 1, 10000);
        QVERIFY(erledigt.get());
        QTRY_VERIFY(app.fenster().isVisible());
        QCOMPARE(&app.ablauf(), vorher);
        QTRY_COMPARE_WITH_TIMEOUT(app.ablauf().schritt(), Schritt::wartetAufGeraet(), 10000);
        QVERIFY(!app.ablauf().kopplungEntfernen());

        // A second link goes to the same window and controller.
        auto zweiter = weitergebenImHintergrund(m_name, fremderLink);
        QTRY_COMPARE_WITH_TIMEOUT(app.ablauf().schritt().fall(), Schritt::Fall::linkUngueltig, 10000);
        QVERIFY(zweiter.get());
        QCOMPARE(&app.ablauf(), vorher);
    }

    void ohneLinkWirdNurDasFensterGezeigt() {
        Einzelinstanz instanz(m_name);
        QVERIFY(instanz.starten());
        KabelApp app(std::make_shared<FakeZugriff>());
        app.bedienen(instanz);
        QVERIFY(!app.fenster().isVisible());
        auto erledigt = weitergebenImHintergrund(m_name, std::nullopt);
        QTRY_VERIFY_WITH_TIMEOUT(app.fenster().isVisible(), 10000);
        QVERIFY(erledigt.get());
        QCOMPARE(app.ablauf().schritt(), Schritt::ohneLink());
    }

    // The Mac delivers links as file-open events on the application object.
    void dateiOeffnenEreignisIstEinLink() {
        KabelApp app(std::make_shared<FakeZugriff>());
        QFileOpenEvent ereignis{QUrl(fremderLink)};
        QCoreApplication::sendEvent(qApp, &ereignis);
        QCOMPARE(app.ablauf().schritt().fall(), Schritt::Fall::linkUngueltig);
        QVERIFY(app.fenster().isVisible());
    }

    void fensterTitel() {
        KabelApp app(std::make_shared<FakeZugriff>());
        QCOMPARE(app.fenster().windowTitle(), QStringLiteral("Sondit Kabel"));
        QVERIFY(!QGuiApplication::quitOnLastWindowClosed());
    }

    void protokoll_data() {
        QTest::addColumn<QByteArray>("zeile");
        QTest::addColumn<QStringList>("links");
        QTest::addColumn<int>("zeigen");

        QTest::newRow("link unverändert") << QByteArray("link sondit-kabel://lesen?ziel=a%20b äö\n")
                                          << QStringList{u"sondit-kabel://lesen?ziel=a%20b äö"_qs} << 0;
        QTest::newRow("leerer link") << QByteArray("link \n") << QStringList{QString()} << 0;
        QTest::newRow("zeigen") << QByteArray("zeigen\n") << QStringList{} << 1;
        QTest::newRow("unbekannt") << QByteArray("beenden\n") << QStringList{} << 0;
        QTest::newRow("ohne Zeilenende") << QByteArray("link sondit-kabel://lesen") << QStringList{} << 0;
    }

    void protokoll() {
        QFETCH(QByteArray, zeile);
        QFETCH(QStringList, links);
        QFETCH(int, zeigen);

        Einzelinstanz instanz(m_name);
        QVERIFY(instanz.starten());
        QSignalSpy linkSpy(&instanz, &Einzelinstanz::linkErhalten);
        QSignalSpy zeigenSpy(&instanz, &Einzelinstanz::zeigenErbeten);

        QLocalSocket client;
        client.connectToServer(m_name);
        QVERIFY(client.waitForConnected(5000));
        client.write(zeile);
        if (zeile.endsWith('\n')) {
            QTRY_VERIFY(client.bytesAvailable() >= 3);
            QCOMPARE(client.readAll(), QByteArray("ok\n"));
        } else {
            client.disconnectFromServer();
            QTRY_COMPARE(client.state(), QLocalSocket::UnconnectedState);
            QTest::qWait(50); // give a wrongly accepted partial line the chance to show
        }
        QStringList erhalten;
        for (const QList<QVariant>& aufruf : linkSpy)
            erhalten << aufruf.at(0).toString();
        QCOMPARE(erhalten, links);
        QCOMPARE(zeigenSpy.size(), zeigen);
    }

    void verwaisterSocketWirdErsetzt() {
        // What a crashed instance leaves behind: a name nobody answers on.
        QFile rest(m_name);
        QVERIFY(rest.open(QIODevice::WriteOnly));
        rest.close();

        Einzelinstanz neu(m_name);
        QVERIFY(!neu.weitergeben(fremderLink));
        QVERIFY(neu.starten());
        QSignalSpy spy(&neu, &Einzelinstanz::linkErhalten);
        auto erledigt = weitergebenImHintergrund(m_name, fremderLink);
        QTRY_COMPARE_WITH_TIMEOUT(spy.size(), 1, 10000);
        QVERIFY(erledigt.get());
    }

    void laufendeInstanzWirdNichtVerdraengt() {
        Einzelinstanz erste(m_name);
        QVERIFY(erste.starten());
        QSignalSpy spy(&erste, &Einzelinstanz::linkErhalten);
        auto zweiteStartet =
            std::async(std::launch::async, [name = m_name] { return Einzelinstanz(name).starten(); });
        QTRY_VERIFY_WITH_TIMEOUT(zweiteStartet.wait_for(std::chrono::seconds(0)) == std::future_status::ready,
                                 10000);
        QVERIFY(!zweiteStartet.get());
        auto erledigt = weitergebenImHintergrund(m_name, fremderLink);
        QTRY_COMPARE_WITH_TIMEOUT(spy.size(), 1, 10000);
        QVERIFY(erledigt.get());
    }
};

KABEL_WIDGET_TEST_MAIN(TestKabelApp)
#include "tst_kabelapp.moc"
