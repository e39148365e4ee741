#include "Aktivierung.h"

#include <QApplication>
#include <QWidget>
#include <algorithm>

#if QT_CONFIG(xcb)
#include <cstdlib>
#include <cstring>
#include <xcb/xcb.h>
#endif

namespace kabel {

namespace {

const QByteArray waylandToken = QByteArrayLiteral("XDG_ACTIVATION_TOKEN");
const QByteArray startId = QByteArrayLiteral("DESKTOP_STARTUP_ID");

#if QT_CONFIG(xcb)
// Ends the desktop's launch feedback for `id`, which waits for the message "remove: ID=…" on the
// root window, sent in pieces of 20 bytes. Qt sends it only when a window is first shown.
void startmeldungBeenden(const QByteArray& id) {
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    if (id.isEmpty() || !x11)
        return;
    xcb_connection_t* verbindung = x11->connection();
    const auto atom = [verbindung](const char* name) {
        xcb_intern_atom_reply_t* antwort = xcb_intern_atom_reply(
            verbindung, xcb_intern_atom(verbindung, false, uint16_t(std::strlen(name)), name), nullptr);
        const xcb_atom_t wert = antwort ? antwort->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(antwort);
        return wert;
    };
    QByteArray meldung = QByteArrayLiteral("remove: ID=");
    for (const char zeichen : id) {
        if (zeichen == ' ' || zeichen == '"' || zeichen == '\\')
            meldung += '\\';
        meldung += zeichen;
    }
    meldung += '\0';
    const xcb_window_t wurzel = xcb_setup_roots_iterator(xcb_get_setup(verbindung)).data->root;
    xcb_client_message_event_t ereignis{};
    ereignis.response_type = XCB_CLIENT_MESSAGE;
    ereignis.format = 8;
    ereignis.window = wurzel;
    ereignis.type = atom("_NET_STARTUP_INFO_BEGIN");
    const xcb_atom_t weiter = atom("_NET_STARTUP_INFO");
    for (qsizetype stelle = 0; stelle < meldung.size(); stelle += 20) {
        std::memset(ereignis.data.data8, 0, 20);
        std::memcpy(ereignis.data.data8, meldung.constData() + stelle,
                    std::min<qsizetype>(20, meldung.size() - stelle));
        xcb_send_event(verbindung, false, wurzel, XCB_EVENT_MASK_PROPERTY_CHANGE,
                       reinterpret_cast<const char*>(&ereignis));
        ereignis.type = weiter;
    }
    xcb_flush(verbindung);
}
#endif

} // namespace

Aktivierung aktivierungDiesesProzesses() {
    Aktivierung aktivierung;
    for (const QByteArray& name : {waylandToken, startId})
        if (const QByteArray wert = qgetenv(name.constData()); !wert.isEmpty())
            aktivierung.insert(name, wert);
    return aktivierung;
}

void nachVorn(QWidget& fenster, const Aktivierung& aktivierung) {
    const bool wayland = QGuiApplication::platformName().startsWith(u"wayland");
    const QByteArray token = aktivierung.value(waylandToken);
    // Qt's Wayland plug-in takes the token out of the environment inside requestActivate(); no
    // API takes one. So it is put there right before.
    if (wayland && !token.isEmpty())
        qputenv(waylandToken.constData(), token);
    if (fenster.isMinimized())
        fenster.showNormal();
    else
        fenster.show();
    fenster.raise();
    fenster.activateWindow();
#if QT_CONFIG(xcb)
    startmeldungBeenden(aktivierung.value(startId));
#endif
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
    // Without leave the compositor would ignore the request: the window asks for attention instead.
    if (wayland && token.isEmpty())
        QApplication::alert(&fenster);
#endif
}

} // namespace kabel
