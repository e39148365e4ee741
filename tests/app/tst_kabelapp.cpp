// The application shell in process: links handed over by later processes, the closed window,
// links as file-open events, and the hand-over protocol.
#include "FakeZugriff.h"
#include "Testdienst.h"
#include "Testumgebung.h"
#include "app/Einzelinstanz.h"
#include "app/KabelAnsicht.h"
#include "app/KabelApp.h"
#include "flow/KabelAblauf.h"

#include <QApplication>
#include <QFileOpenEvent>
#include <QLocalSocket>
#include <QSignalSpy>
#include <QStandardPaths>
#include <future>

using namespace kabel;
using namespace kabel::test;

class TestKabelApp : public QObject {
    Q_OBJECT

    const QString m_name = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) + "/instanz";

    // A later process blocks until the instance has answered, so it runs beside this event loop.
    bool weitergeben(std::optional<QString> link) {
        auto erledigt =
            std::async(std::launch::async, [this, link] { return Einzelinstanz(m_name).weitergeben(link); });
        for (QDeadlineTimer frist(10000);
             erledigt.wait_for(std::chrono::seconds(0)) != std::future_status::ready && !frist.hasExpired();)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return erledigt.get();
    }

private Q_SLOTS:
    // A show request brings the closed window back; a link reaches the same controller, whose
    // option is unchanged; links also come as the Mac's file-open events.
    void uebergabe() {
        Testdienst dienst;
        Einzelinstanz instanz(m_name);
        QVERIFY(instanz.starten());
        KabelApp app(std::make_shared<FakeZugriff>());
        app.bedienen(instanz);
        QVERIFY(!app.fenster().isVisible() && weitergeben(std::nullopt));
        QTRY_VERIFY(app.fenster().isVisible());
        QCOMPARE(app.fenster().windowTitle(), "Sondit Kabel");
        app.ablauf().setKopplungEntfernen(false);
        app.fenster().close();
        QVERIFY(weitergeben(dienst.link().toString(QUrl::FullyEncoded)));
        QTRY_COMPARE(app.ablauf().schritt(), Schritt::wartetAufGeraet());
        QVERIFY(app.fenster().isVisible() && !app.ablauf().kopplungEntfernen());
        QFileOpenEvent ereignis{QUrl("sondit-kabel://lesen")};
        QCoreApplication::sendEvent(qApp, &ereignis);
        QCOMPARE(app.ablauf().schritt().fall(), Schritt::Fall::linkUngueltig);
    }

    void protokoll_data() {
        QTest::addColumn<QByteArray>("zeile");
        QTest::addColumn<QStringList>("links");
        QTest::newRow("link passed on unchanged") << QByteArray("link sondit-kabel://lesen?ziel=a%20b äö\n")
                                                  << QStringList{"sondit-kabel://lesen?ziel=a%20b äö"};
        QTest::newRow("unknown request") << QByteArray("beenden\n") << QStringList();
        QTest::newRow("no line end") << QByteArray("link sondit-kabel://lesen") << QStringList();
        QTest::newRow("far too long") << "link " + QByteArray(100'000, 'x') << QStringList();
    }
    void protokoll() {
        QFETCH(QByteArray, zeile);
        Einzelinstanz instanz(m_name);
        QVERIFY(instanz.starten());
        QSignalSpy links(&instanz, &Einzelinstanz::linkErhalten);
        QSignalSpy zeigen(&instanz, &Einzelinstanz::zeigenErbeten);
        QLocalSocket client;
        client.connectToServer(m_name);
        QVERIFY(client.waitForConnected(5000));
        client.write(zeile);
        QTRY_VERIFY(!zeile.endsWith('\n') || client.bytesAvailable() >= 3);
        QCOMPARE(client.readAll(), zeile.endsWith('\n') ? "ok\n" : "");
        client.disconnectFromServer();
        QVERIFY(weitergeben(std::nullopt)); // arrives after whatever the line caused
        QTRY_COMPARE(zeigen.size(), 1);
        QStringList erhalten;
        for (const QList<QVariant>& aufruf : links)
            erhalten << aufruf.at(0).toString();
        QTEST(erhalten, "links");
    }
};

KABEL_TEST_MAIN_MIT(QApplication, TestKabelApp)
#include "tst_kabelapp.moc"
