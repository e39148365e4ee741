// A maximal check: ten panic logs of 2,500,000 characters each (the phone holds twelve). Prints
// the app's own CPU time and peak memory for the whole run, from start to the report's arrival.
#include "Berichte.h"
#include "Buehne.h"
#include "Testdienst.h"
#include "Testumgebung.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <cstdio>
#include <unistd.h>

using namespace kabel::test;

namespace {

// utime + stime of a running process in ms, and its peak resident memory in MiB.
std::pair<double, double> verbrauch(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!stat.open(QIODevice::ReadOnly) || !status.open(QIODevice::ReadOnly))
        return {-1, -1};
    const QByteArray zeile = stat.readAll();
    const QList<QByteArray> felder = zeile.mid(zeile.lastIndexOf(')') + 2).split(' ');
    const double ticks = double(felder.value(11).toLongLong() + felder.value(12).toLongLong());
    double spitze = -1;
    for (const QByteArray& z : status.readAll().split('\n'))
        if (z.startsWith("VmHWM:"))
            spitze = z.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return {ticks * 1000.0 / double(sysconf(_SC_CLK_TCK)), spitze};
}

} // namespace

int main(int argc, char** argv) {
    Testumgebung umgebung;
    QCoreApplication app(argc, argv);
    Buehne buehne;
    buehne.iphone();
    for (int i = 1; i <= 12; ++i)
        buehne.datei(QStringLiteral("idevicecrashreport -u %1 -k DIR").arg(Buehne::udid()),
                     QStringLiteral("panic-full-2024-06-%1-000000.000.ips").arg(i, 2, 10, QLatin1Char('0')),
                     kabel::bench::bericht(i));
    Buehne::kopplungEntfernenSetzen(false);
    Testdienst dienst;
    QSignalSpy angefragt(&dienst, &Testdienst::angefragt);

    QElapsedTimer uhr;
    uhr.start();
    auto prozess = buehne.starten({dienst.link().toString(QUrl::FullyEncoded)});
    while (dienst.anzahl("POST") == 0 && uhr.elapsed() < 60000)
        angefragt.wait(60000);
    const double wand = double(uhr.elapsed());
    // Let the app take in the answer, then read its counters while it still runs.
    QSignalSpy(&dienst, &Testdienst::angefragt).wait(300);
    const auto [cpuMs, spitzeMiB] = verbrauch(prozess->processId());
    const qsizetype bytes = dienst.anfragen().isEmpty() ? 0 : dienst.anfragen().last().inhalt.size();
    beenden(*prozess);

    std::printf("maximal check: ten panic logs of %lld characters\n",
                static_cast<long long>(kabel::bench::zeichenProBericht));
    std::printf("  report               %8.1f MB\n", double(bytes) / 1e6);
    std::printf("  wall time to report  %8.0f ms\n", wand);
    std::printf("  app CPU time         %8.0f ms   (target <= 600 ms)\n", cpuMs);
    std::printf("  app peak RSS         %8.1f MiB  (target <= 100 MiB)\n", spitzeMiB);
    return 0;
}
