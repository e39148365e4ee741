#include "Einzelinstanz.h"
#include "KabelApp.h"
#include "Logkategorie.h"
#include "Signale.h"
#include "device/Arbeitsverzeichnis.h"
#include "flow/Konfiguration.h"

#include <QApplication>
#include <QMessageBox>
#include <QUrl>
#include <cstdio>
#include <cstring>

namespace {

// The app writes nothing to the console, Qt's own messages included; only its own diagnostics,
// when switched on with QT_LOGGING_RULES="kabel.*=true", go to stderr.
// Qt's fatal message is the one exception: the app ends with it (no display, say), and the user
// reads why.
void protokollieren(QtMsgType art, const QMessageLogContext& kontext, const QString& text) {
    if (art == QtFatalMsg)
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    else if (kontext.category && std::strncmp(kontext.category, "kabel.", 6) == 0)
        std::fprintf(stderr, "%s: %s\n", kontext.category, text.toLocal8Bit().constData());
}

// Neither listening nor handing over worked (the per-user runtime directory is not usable, say).
void keinServer() {
    const QString text = QStringLiteral(
        "Sondit Kabel kann nicht starten: Links aus dem Browser könnten dieses Fenster nicht erreichen. Bitte abmelden und neu anmelden.");
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    QMessageBox::critical(nullptr, QStringLiteral("Sondit Kabel"), text);
}

} // namespace

int main(int argc, char* argv[]) {
    qInstallMessageHandler(protokollieren);
    // Before the application object: Qt's X11 plug-in takes the startup id out of the environment.
    const kabel::Aktivierung aktivierung = kabel::aktivierungDiesesProzesses();
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Sondit"));
    QApplication::setApplicationName(QStringLiteral("Sondit Kabel"));
    QApplication::setApplicationVersion(QString::fromUtf8(kabel::konfiguration::programmVersion));
    QGuiApplication::setDesktopFileName(QStringLiteral("sondit-kabel"));

    // The desktop starts "sondit-kabel <link>"; on the Mac links come as file-open events.
    std::optional<QString> link;
#ifndef Q_OS_MACOS
    if (const QStringList argumente = QApplication::arguments(); argumente.size() > 1)
        link = argumente.at(1);
#endif

    {
        kabel::Einzelinstanz instanz(kabel::Einzelinstanz::standardName());
        if (instanz.weitergeben(link, aktivierung)) {
            qCDebug(kabel::logApp) << "an die laufende Instanz übergeben";
            return 0;
        }
        // Two processes started at once: the loser of the race hands over to the winner.
        if (!instanz.starten()) {
            if (instanz.weitergeben(link, aktivierung))
                return 0;
            // Without its socket a second instance would start beside this one with every link.
            keinServer();
            return 1;
        }
        qCDebug(kabel::logApp) << "gestartet, Version" << kabel::konfiguration::programmVersion;
        // Only now, as the one instance: another one's live copy must not be taken for a leftover.
        kabel::alteArbeitsverzeichnisseEntfernen();

        kabel::KabelApp kabelApp;
        kabelApp.bedienen(instanz);
        kabel::beiEndesignalBeenden();
        // The starting link takes the same way as every later one.
        if (link)
            kabelApp.linkEmpfangen(QUrl(*link, QUrl::TolerantMode), aktivierung);
        else
            kabelApp.fensterZeigen(aktivierung);
        // On the way out the controller kills its running tools and waits for its device work.
        return QApplication::exec();
    }
}
