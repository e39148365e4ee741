// panicLogsLesen over ten panic-full reports of 2,500,000 characters each, fetched by the fake
// idevicecrashreport (1.3.0 behaviour: usage answer, then a full copy), next to a plain loop that
// reads, validates and cuts the same files in place; then the reading of the logs fetched for the
// window alone. Each phase runs in a fresh process so its peak RSS is its own.
#include "Berichte.h"
#include "Buehne.h"
#include "Messung.h"
#include "device/Libimobiledevice.h"
#include "device/Panicbefund.h"
#include "device/Panicdatei.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

using namespace kabel;
using kabel::bench::bericht;
using kabel::bench::median;
using kabel::bench::zeichenProBericht;

namespace {

constexpr int wiederholungen = 7;

double spitzeMiB() {
    rusage nutzung{};
    getrusage(RUSAGE_SELF, &nutzung);
    return double(nutzung.ru_maxrss) / 1024.0; // kB on Linux
}

void ausgeben(const char* name, const std::vector<double>& ms, qint64 bytes, std::size_t behalten) {
    const double m = median(ms);
    std::printf("%-28s median %7.1f ms  (min %7.1f)  %7.1f MB/s  kept %zu bytes  peak RSS %5.1f MiB\n", name,
                m, *std::min_element(ms.begin(), ms.end()), double(bytes) / 1e6 / (m / 1e3), behalten,
                spitzeMiB());
}

// `bytes`: what the tool copies, counted once by the parent.
int werkzeugPhase(const QString& bin, qint64 bytes) {
    const Libimobiledevice zugriff({bin});
    std::vector<double> ms;
    std::size_t behalten = 0;
    for (int i = 0; i < wiederholungen; ++i) {
        QElapsedTimer uhr;
        uhr.start();
        const QList<PanicLog> logs =
            zugriff.panicLogsLesen(kabel::test::Buehne::udid()).value_or(QList<PanicLog>());
        ms.push_back(double(uhr.nsecsElapsed()) / 1e6);
        behalten = 0;
        for (const PanicLog& log : logs)
            behalten += log.text.size();
        if (logs.size() != 10)
            std::printf("unexpected: %lld logs\n", static_cast<long long>(logs.size()));
    }
    ausgeben("panicLogsLesen (fake tool)", ms, bytes, behalten);

    const QList<PanicLog> logs =
        zugriff.panicLogsLesen(kabel::test::Buehne::udid()).value_or(QList<PanicLog>());
    std::vector<double> lesen;
    Panicbefund befund;
    for (int i = 0; i < 3 * wiederholungen; ++i) {
        QElapsedTimer uhr;
        uhr.start();
        befund = panicBefund(logs);
        lesen.push_back(double(uhr.nsecsElapsed()) / 1e6);
    }
    std::printf("%-28s median %7.2f ms  (min %7.2f)  target <= 30 ms; %lld logs, %lld unreadable, reason "
                "shared by %lld\n",
                "panic reading for the window", median(lesen), *std::min_element(lesen.begin(), lesen.end()),
                static_cast<long long>(logs.size()), static_cast<long long>(befund.unlesbar),
                static_cast<long long>(befund.letzte ? befund.letzte->gleicherGrund : 0));
    return 0;
}

int schleifenPhase(const QString& crash) {
    const QFileInfoList dateien =
        QDir(crash).entryInfoList({QStringLiteral("panic*")}, QDir::Files, QDir::Name | QDir::Reversed);
    std::vector<double> ms;
    std::size_t behalten = 0;
    qint64 bytes = 0;
    for (int i = 0; i < wiederholungen; ++i) {
        QElapsedTimer uhr;
        uhr.start();
        std::vector<std::string> texte;
        bytes = 0;
        for (const QFileInfo& info : dateien) {
            QFile datei(info.filePath());
            if (!datei.open(QIODevice::ReadOnly))
                continue;
            const QByteArray inhalt = datei.readAll();
            bytes += inhalt.size();
            if (auto text = panicText(inhalt))
                texte.push_back(std::move(*text));
        }
        ms.push_back(double(uhr.nsecsElapsed()) / 1e6);
        behalten = 0;
        for (const std::string& t : texte)
            behalten += t.size();
    }
    ausgeben("plain read+validate+cut", ms, bytes, behalten);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList argumente = app.arguments();
    if (argumente.size() == 4 && argumente[1] == u"--werkzeug")
        return werkzeugPhase(argumente[2], argumente[3].toLongLong());
    if (argumente.size() == 4 && argumente[1] == u"--schleife")
        return schleifenPhase(argumente[2]);

    // The same ten reports for both phases: copied by the fake tool, and lying in a directory.
    kabel::test::Buehne buehne;
    QTemporaryDir crash;
    if (!buehne.gueltig() || !crash.isValid())
        return 1;
    buehne.iphone();
    const QString kopieren =
        QStringLiteral("idevicecrashreport -u %1 -k DIR").arg(kabel::test::Buehne::udid());
    qint64 bytes = 0;
    for (int i = 0; i < 10; ++i) {
        const QString name = QStringLiteral("panic-full-2024-05-%1-081530.000.ips").arg(10 + i);
        bytes += bericht(i).size();
        buehne.datei(kopieren, name, bericht(i));
        QFile datei(crash.filePath(name));
        if (!datei.open(QIODevice::WriteOnly) || datei.write(bericht(i)) < 0)
            return 1;
    }
    std::printf("ten reports of %lld characters each; %d runs per phase, each phase in its own process\n",
                static_cast<long long>(zeichenProBericht), wiederholungen);
    std::fflush(stdout);

    for (const auto& [schalter, pfad] :
         {std::pair{QStringLiteral("--schleife"), crash.path()},
          std::pair{QStringLiteral("--werkzeug"), buehne.werkzeugVerzeichnis()}}) {
        QProcess phase;
        phase.setProcessChannelMode(QProcess::ForwardedChannels);
        phase.start(QCoreApplication::applicationFilePath(), {schalter, pfad, QString::number(bytes)});
        phase.waitForFinished(-1);
    }
    return 0;
}
