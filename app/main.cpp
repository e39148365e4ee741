#include "Einzelinstanz.h"
#include "KabelApp.h"
#include "Signale.h"
#include "device/Prozesslaeufer.h"
#include "flow/Konfiguration.h"

#include <QApplication>
#include <QTimer>
#include <QUrl>
#include <cstdlib>

namespace {

// The app writes nothing to the console, Qt's own messages included.
void schweigen(QtMsgType, const QMessageLogContext&, const QString&) {}

} // namespace

int main(int argc, char* argv[]) {
    qInstallMessageHandler(schweigen);
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

    int status = 0;
    {
        kabel::Einzelinstanz instanz(kabel::Einzelinstanz::standardName());
        if (instanz.weitergeben(link))
            return 0;
        // Two processes started at once: the loser of the race hands over to the winner.
        if (!instanz.starten() && instanz.weitergeben(link))
            return 0;

        kabel::KabelApp kabelApp;
        kabelApp.bedienen(instanz);
        kabelApp.fensterZeigen();
        kabel::beiEndesignalBeenden();
        // The starting link takes the same way as every later one, once the window exists.
        if (link)
            QTimer::singleShot(0, &kabelApp, [&kabelApp, text = *link] {
                kabelApp.linkEmpfangen(QUrl(text, QUrl::TolerantMode));
            });
        status = QApplication::exec();
        // The controller goes first, so its background threads can no longer reach it.
    }
    // Background threads may still wait for a tool (a phone that does not answer); they are never
    // joined. End their tools, and leave without the static destructors those threads might
    // still touch. The stored option was written when it was changed.
    kabel::laufendeWerkzeugeBeenden();
    std::_Exit(status);
}
