// The demo: a stand-in Werkora service on 127.0.0.1, the app installed into a temporary prefix
// with simulated iPhone tools, and a one-time link opened in it. Prints each request the service
// receives, and the report pretty-printed. With --screenshot FILE it saves the window once the
// check has ended and stops (for machines without a display, under xvfb-run); otherwise it runs
// until the app is quit (Ctrl+Q in its window, or Ctrl+C here).
#include "Buehne.h"
#include "Testdienst.h"
#include "Testumgebung.h"

#include <QCommandLineParser>
#include <QGuiApplication>
#include <QPixmap>
#include <QProcess>
#include <QScreen>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <nlohmann/json.hpp>

using namespace kabel::test;

namespace {

void zeigen(const QString& text) {
    std::printf("%s\n", qPrintable(text));
    std::fflush(stdout);
}

// The app's window on the X display, found by its title.
std::optional<WId> fensterSuchen() {
    QProcess xdotool;
    xdotool.start(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                              QStringLiteral("--name"), QStringLiteral("^Sondit Kabel$")});
    if (!xdotool.waitForFinished(5000))
        return std::nullopt;
    bool ok = false;
    const WId id = xdotool.readAllStandardOutput().split('\n').value(0).toULongLong(&ok);
    return ok ? std::optional<WId>(id) : std::nullopt;
}

QProcess* laufendeApp = nullptr;

} // namespace

int main(int argc, char** argv) {
    Testumgebung umgebung; // a private instance and settings, whatever else runs on this desktop
    QGuiApplication app(argc, argv);
    QCommandLineParser optionen;
    const QCommandLineOption foto(QStringLiteral("screenshot"),
                                  QStringLiteral("Save the final window to FILE and stop."),
                                  QStringLiteral("FILE"));
    optionen.addOption(foto);
    optionen.process(app);

    Buehne buehne;
    buehne.iphone();
    // A touch of delay so each step can be seen in the window.
    buehne.dauer({}, 0.15);
    if (!buehne.gueltig()) {
        zeigen(QStringLiteral("Could not stage the app."));
        return 1;
    }

    Testdienst dienst;
    dienst.setAntwort("GET", {200, R"({"werkstatt":"Handy-Werkstatt Musterstadt"})"});
    QObject::connect(&dienst, &Testdienst::angefragt, &app, [](const Anfrage& anfrage) {
        zeigen(QStringLiteral("Werkora stand-in: %1 %2")
                   .arg(QString::fromLatin1(anfrage.methode), QString::fromUtf8(anfrage.pfad)));
        if (anfrage.methode == "POST")
            zeigen(QString::fromStdString(
                nlohmann::ordered_json::parse(anfrage.inhalt.toStdString(), nullptr, false).dump(2)));
    });

    const QUrl link = dienst.link(QStringLiteral("/api/public/kabel/demo-7f3a"));
    zeigen(QStringLiteral("Werkora stand-in listening at %1")
               .arg(dienst.adresse(QStringLiteral("/")).toString()));
    zeigen(QStringLiteral("Opening %1").arg(link.toString(QUrl::FullyEncoded)));
    auto sonditKabel = buehne.starten({link.toString(QUrl::FullyEncoded)}, true);
    laufendeApp = sonditKabel.get();
    std::signal(SIGINT, [](int) {
        if (laufendeApp)
            ::kill(pid_t(laufendeApp->processId()), SIGTERM);
    });
    QObject::connect(sonditKabel.get(), &QProcess::finished, &app, [] {
        zeigen(QStringLiteral("Sondit Kabel has ended."));
        QCoreApplication::quit();
    });

    // The check has ended once the pairing removal that follows the accepted report ran.
    QTimer warten;
    QObject::connect(&warten, &QTimer::timeout, &app, [&] {
        const QStringList aufrufe = buehne.aufrufe();
        if (aufrufe.isEmpty() || !aufrufe.last().endsWith(u" unpair"))
            return;
        warten.stop();
        if (!optionen.isSet(foto)) {
            zeigen(QStringLiteral(
                "Done. Quit Sondit Kabel with Ctrl+Q in its window (closing only hides it), or press Ctrl+C here."));
            return;
        }
        QTimer::singleShot(800, &app, [&] {
            const std::optional<WId> fenster = fensterSuchen();
            const QPixmap bild = fenster ? QGuiApplication::primaryScreen()->grabWindow(*fenster) : QPixmap();
            if (bild.isNull() || !bild.save(optionen.value(foto)))
                zeigen(QStringLiteral("Could not save the screenshot (window %1).")
                           .arg(fenster ? QString::number(*fenster) : QStringLiteral("not found")));
            else
                zeigen(QStringLiteral("Saved the final window to %1").arg(optionen.value(foto)));
            beenden(*sonditKabel);
        });
    });
    warten.start(100);
    QTimer::singleShot(60000, &app, [&] {
        zeigen(QStringLiteral("The check did not finish within a minute."));
        beenden(*sonditKabel);
    });
    return app.exec();
}
