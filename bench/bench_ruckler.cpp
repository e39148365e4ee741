// The longest stall of the UI thread during a whole check whose tools each take 300 ms: a 1 ms
// timer on the UI thread records the largest gap between its ticks.
#include "Testdienst.h"
#include "Testumgebung.h"
#include "device/Libimobiledevice.h"
#include "fakes/FakeWerkzeuge.h"
#include "flow/KabelAblauf.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>

using namespace kabel;
using namespace kabel::test;

int main(int argc, char** argv) {
    Testumgebung umgebung;
    QCoreApplication app(argc, argv);
    FakeWerkzeuge werkzeuge;
    werkzeuge.iphoneVoreinstellen();
    for (const QString& name : FakeWerkzeuge::werkzeugNamen())
        werkzeuge.dauerSetzen(name, 0.3);
    Testdienst dienst;
    KabelAblauf ablauf(std::make_shared<Libimobiledevice>(werkzeuge.werkzeugVerzeichnisse()));

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
    std::printf("  step at the end     %s\n", fallName(ablauf.schritt().fall()));
    std::printf("  longest stall       %6.2f ms   (target <= 16 ms; 1 ms timer)\n", double(laengste) / 1e6);
    return 0;
}
