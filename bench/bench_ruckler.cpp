// The longest stall of the UI thread during a whole check: a 1 ms timer on the UI thread records
// the largest gap between its ticks. Two checks: tools that take 300 ms each, and a maximal check
// with ten panic logs of 2,500,000 characters (a report of about 21 MB, read and encoded off the
// UI thread).
#include "Berichte.h"
#include "Buehne.h"
#include "Testdienst.h"
#include "Testumgebung.h"
#include "device/Libimobiledevice.h"
#include "flow/KabelAblauf.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QThread>
#include <QTimer>
#include <cstdio>

using namespace kabel;
using namespace kabel::test;

namespace {

void messen(const char* name, const Buehne& buehne) {
    // The service runs on a thread of its own: taking in 21 MB is its work, not the app's.
    QThread dienstfaden;
    dienstfaden.start();
    QObject imFaden;
    imFaden.moveToThread(&dienstfaden);
    std::unique_ptr<Testdienst> dienst;
    QMetaObject::invokeMethod(
        &imFaden, [&] { dienst = std::make_unique<Testdienst>(); }, Qt::BlockingQueuedConnection);
    QNetworkAccessManager netz;
    KabelAblauf ablauf(netz, std::make_shared<Libimobiledevice>(QStringList{buehne.werkzeugVerzeichnis()}));
    QElapsedTimer uhr;
    qint64 letzter = 0, laengste = 0;
    QTimer takt;
    takt.setTimerType(Qt::PreciseTimer);
    QObject::connect(&takt, &QTimer::timeout, [&] {
        const qint64 jetzt = uhr.nsecsElapsed();
        laengste = std::max(laengste, jetzt - letzter);
        letzter = jetzt;
    });
    QEventLoop schleife;
    QObject::connect(&ablauf, &KabelAblauf::geaendert, [&] {
        QTimer::singleShot(0, [&] {
            if (ablauf.schritt().fall() == Schritt::Fall::fertig ||
                ablauf.schritt().fall() == Schritt::Fall::fehler)
                schleife.quit();
        });
    });
    QTimer::singleShot(0, [&] {
        uhr.start();
        takt.start(1);
        ablauf.linkOeffnen(dienst->link());
    });
    QTimer::singleShot(120000, &schleife, &QEventLoop::quit);
    schleife.exec();
    std::printf("%s (%.1f s, ends in %s)\n", name, double(uhr.elapsed()) / 1000.0,
                toString(ablauf.schritt()));
    std::printf("  longest UI-thread stall  %6.2f ms   (target <= 16 ms; 1 ms timer)\n",
                double(laengste) / 1e6);
    QMetaObject::invokeMethod(
        &imFaden, [&] { dienst.reset(); }, Qt::BlockingQueuedConnection);
    dienstfaden.quit();
    dienstfaden.wait();
}

} // namespace

int main(int argc, char** argv) {
    Testumgebung umgebung;
    QCoreApplication app(argc, argv);
    app.setOrganizationName("Sondit-Bench");
    Buehne langsam, maximal;
    langsam.iphone();
    langsam.dauer({}, 0.3);
    maximal.iphone();
    for (int i = 1; i <= 12; ++i)
        maximal.datei("idevicecrashreport -u " + Buehne::udid() + " -k DIR",
                      QString("panic-full-2024-06-%1-000000.000.ips").arg(i, 2, 10, QChar('0')),
                      bench::bericht(i));
    messen("check with tools of 300 ms each", langsam);
    messen("maximal check: ten panic logs of 2,500,000 characters", maximal);
    return 0;
}
