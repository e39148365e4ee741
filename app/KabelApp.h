#pragma once

#include "Aktivierung.h"

#include <QImage>
#include <QNetworkAccessManager>
#include <QObject>
#include <QUrl>
#include <future>
#include <memory>

namespace kabel {

class Einzelinstanz;
class Geraetezugriff;
class KabelAblauf;
class KabelAnsicht;

// The application: owns the one controller and the one window for the life of the process and
// hands every delivered link to the controller. The window is built when it is first shown.
//
// Closing the window only hides it: the controller, with a check that may still be waiting for
// the phone, lives on, and the next link (or starting the app again) shows the window again, as
// does a phone about to be read.
// The process ends with the quit key (Ctrl+Q, ⌘Q on the Mac) or with the desktop session.
class KabelApp : public QObject {
    Q_OBJECT

public:
    // Needs a QApplication. `zugriff`: the device access (the libimobiledevice tools when none).
    explicit KabelApp(std::shared_ptr<const Geraetezugriff> zugriff = {}, QObject* parent = nullptr);
    ~KabelApp() override;

    KabelAblauf& ablauf() { return *m_ablauf; }
    // The window; none until it is first shown.
    KabelAnsicht* fenster() { return m_fenster.get(); }

    // A link from the desktop: to the controller, then the window to the front, with the leave
    // the desktop gave for it. A window not yet built is built after the link's lookup has gone
    // out, while the request is on its way.
    void linkEmpfangen(const QUrl& link, const Aktivierung& aktivierung = {});
    // Takes the links and show requests that later processes hand over.
    void bedienen(Einzelinstanz& instanz);
    // Shows the window (built on the first call), also after it was closed or minimised, and
    // brings it to the front with `aktivierung`.
    void fensterZeigen(const Aktivierung& aktivierung = {});

#ifdef Q_OS_MACOS
protected:
    // Links arrive on the Mac as file-open events on the application object.
    bool eventFilter(QObject* objekt, QEvent* event) override;
#endif

private:
    QNetworkAccessManager m_netz; // every request to Werkora
    std::unique_ptr<KabelAblauf> m_ablauf;
    std::future<QList<QImage>> m_vorbereitet; // the icon's images, once the fonts are read
    std::unique_ptr<KabelAnsicht> m_fenster;
};

} // namespace kabel
