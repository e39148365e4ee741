// From starting the app with a link to the report's arrival at a local service, with fake tools
// that answer at once, next to a shell script that makes the same tool calls and the same GET
// and POST with curl. Both run in turns in one process, so the machine's load hits both alike.
#include "Buehne.h"
#include "Messung.h"
#include "Testdienst.h"
#include "Testumgebung.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QSignalSpy>
#include <algorithm>
#include <cstdio>

using namespace kabel::test;
using kabel::bench::median;

namespace {

constexpr int durchlaeufe = 9;

// Milliseconds from start to the POST at the service; the process is then ended.
double messen(Testdienst& dienst, QProcess& prozess, const std::function<void()>& start) {
    QSignalSpy angefragt(&dienst, &Testdienst::angefragt);
    QElapsedTimer uhr;
    uhr.start();
    start();
    while (dienst.anzahl("POST") == 0 && uhr.elapsed() < 30000)
        angefragt.wait(30000);
    const double ms = double(uhr.nsecsElapsed()) / 1e6;
    beenden(prozess);
    return ms;
}

} // namespace

int main(int argc, char** argv) {
    Testumgebung umgebung;
    QCoreApplication app(argc, argv);
    Buehne buehne;
    buehne.iphone();
    if (!buehne.gueltig()) {
        std::fprintf(stderr, "staging failed\n");
        return 1;
    }
    Buehne::kopplungEntfernenSetzen(false);

    std::vector<double> appMs, skriptMs;
    for (int i = 0; i < durchlaeufe; ++i) {
        {
            Testdienst dienst;
            std::unique_ptr<QProcess> prozess;
            QProcess leer;
            appMs.push_back(messen(dienst, leer, [&] {
                prozess = buehne.starten({dienst.link().toString(QUrl::FullyEncoded)});
            }));
            beenden(*prozess);
        }
        {
            Testdienst dienst;
            QProcess skript;
            skript.setProgram(QStringLiteral("bash"));
            skript.setArguments({QStringLiteral(KABEL_SKRIPT), buehne.werkzeugVerzeichnis(),
                                 dienst.adresse().toString(QUrl::FullyEncoded)});
            skriptMs.push_back(messen(dienst, skript, [&] { skript.start(); }));
        }
    }
    const double a = median(appMs), s = median(skriptMs);
    std::printf("start to report, median of %d runs (fake tools, loopback service)\n", durchlaeufe);
    std::printf("  sondit-kabel         %8.1f ms\n", a);
    std::printf("  shell script + curl  %8.1f ms\n", s);
    std::printf("  ratio                %8.2fx   (target <= 1.00x)\n", a / s);
    return 0;
}
