#include "KabelApp.h"

#include "Einzelinstanz.h"
#include "KabelAnsicht.h"
#include "Kachel.h"
#include "Logkategorie.h"
#include "flow/KabelAblauf.h"
#include "flow/Werkoraclient.h"

#include <QApplication>
#ifdef Q_OS_MACOS
#include <QFileOpenEvent>
#endif
#include <QFontDatabase>
#include <QShortcut>

namespace kabel {

Q_LOGGING_CATEGORY(logApp, "kabel.app", QtInfoMsg)

namespace {

// What the window needs that another thread can do while the lookup goes out and the window is
// built: reading the font database, which the first text would wait for (its functions may be
// called from any thread), and drawing the icon's images.
QList<QImage> vorbereiten() {
    QFontDatabase::families();
    return programmBilder();
}

} // namespace

KabelApp::KabelApp(std::shared_ptr<const Geraetezugriff> zugriff, QObject* parent)
    : QObject(parent), m_ablauf(std::make_unique<KabelAblauf>(m_netz, std::move(zugriff))),
      m_vorbereitet(std::async(std::launch::async, vorbereiten)) {
    m_netz.setTransferTimeout(werkoraStilleMs);
    QApplication::setQuitOnLastWindowClosed(false);
    // A phone found while the window is closed: the window comes up before the phone is read.
    connect(m_ablauf.get(), &KabelAblauf::lesenBeginnt, this, [this] { fensterZeigen(); });
#ifdef Q_OS_MACOS
    qApp->installEventFilter(this);
    // A click on the Dock icon brings the closed window back.
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState zustand) {
        if (zustand == Qt::ApplicationActive && !(m_fenster && m_fenster->isVisible()))
            fensterZeigen();
    });
#endif
}

KabelApp::~KabelApp() = default;

void KabelApp::linkEmpfangen(const QUrl& link, const Aktivierung& aktivierung) {
    qCDebug(logApp) << "Link erhalten";
    m_ablauf->linkOeffnen(link); // asks Werkora in the next turn
    if (m_fenster)
        fensterZeigen(aktivierung);
    else // queued behind the lookup, so the request is on its way while the window is built
        QMetaObject::invokeMethod(
            this, [this, aktivierung] { fensterZeigen(aktivierung); }, Qt::QueuedConnection);
}

void KabelApp::bedienen(Einzelinstanz& instanz) {
    connect(&instanz, &Einzelinstanz::linkErhalten, this,
            [this](const QString& text, const Aktivierung& aktivierung) {
                linkEmpfangen(QUrl(text, QUrl::TolerantMode), aktivierung);
            });
    connect(&instanz, &Einzelinstanz::zeigenErbeten, this, &KabelApp::fensterZeigen);
}

void KabelApp::fensterZeigen(const Aktivierung& aktivierung) {
    if (!m_fenster) {
        m_fenster = std::make_unique<KabelAnsicht>(*m_ablauf);
        m_fenster->setWindowTitle(QStringLiteral("Sondit Kabel"));
        m_fenster->setWindowIcon(programmSymbol(m_vorbereitet.get()));
        m_fenster->setAttribute(Qt::WA_DeleteOnClose, false);
        auto* beenden = new QShortcut(QKeySequence::Quit, m_fenster.get());
        connect(beenden, &QShortcut::activated, qApp, &QCoreApplication::quit);
    }
    nachVorn(*m_fenster, aktivierung);
}

#ifdef Q_OS_MACOS
bool KabelApp::eventFilter(QObject* objekt, QEvent* event) {
    if (objekt == qApp && event->type() == QEvent::FileOpen) {
        const QUrl link = static_cast<QFileOpenEvent*>(event)->url();
        if (!link.isLocalFile()) {
            linkEmpfangen(link);
            return true;
        }
    }
    return QObject::eventFilter(objekt, event);
}
#endif

} // namespace kabel
