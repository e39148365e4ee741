// The longest stall of the UI thread during a whole check whose tools each take 300 ms: a 1 ms
// timer on the UI thread records the largest gap between its ticks.
#include "Buehne.h"
#include "Schrittvergleich.h"
#include "Testdienst.h"
#include "Testumgebung.h"
#include "device/Libimobiledevice.h"
#include "flow/KabelAblauf.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <cstdio>

using namespace kabel;
using namespace kabel::test;

int main(int argc, char** argv) {
    Testumgebung umgebung;
    QCoreApplication app(argc, argv);
    Buehne buehne;
    buehne.iphone();
    buehne.dauer({}, 0.3);
    Testdienst dienst;
    KabelAblauf ablauf(std::make_shared<Libimobiledevice>(QStringList{buehne.werkzeugVerzeichnis()}));

    QElapsedTimer uhr;
    qint64 letzter = 0, laengste = 0;
    QTimer takt;
    takt.setTimerType(Qt::PreciseTimer);
    QObject::connect(&takt, &QTimer::timeout, [&] {
        const qint64 jetzt = uhr.nsecsElapsed();
        laengste = std::max(laengste, jetzt - letzter);
        letzter = jetzt;
    });
    QObject::connect(&ablauf, &KabelAblauf::wirdGeaendert, [&] {
        QTimer::singleShot(0, [&] {
            if (ablauf.schritt().fall() == Schritt::Fall::fertig)
                app.quit();
        });
    });
    QTimer::singleShot(0, [&] {
        uhr.start();
        takt.start(1);
        ablauf.linkOeffnen(dienst.link());
    });
    QTimer::singleShot(60000, &app, &QCoreApplication::quit);
    app.exec();

    std::printf("UI thread during a check with 300 ms tools (%.1f s in all)\n",
                double(uhr.elapsed()) / 1000.0);
    std::printf("  step at the end     %s\n", QTest::toString(ablauf.schritt()));
    std::printf("  longest stall       %6.2f ms   (target <= 16 ms; 1 ms timer)\n", double(laengste) / 1e6);
    return 0;
}
