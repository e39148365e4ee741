#pragma once

#include <QByteArray>
#include <QMap>

class QWidget;

namespace kabel {

// The desktop's leave to bring a window to the front, as it gives it to the process it starts: by
// the name of the environment variable, XDG_ACTIVATION_TOKEN (Wayland) or DESKTOP_STARTUP_ID (X11
// startup notification). A process that hands its link over passes it on to the running instance.
// Never logged: whoever holds it may take the focus.
using Aktivierung = QMap<QByteArray, QByteArray>;

// This process's own, read before the application object exists (Qt's X11 plug-in takes the
// startup id out of the environment).
Aktivierung aktivierungDiesesProzesses();

// Shows `fenster` (again, also when minimised) and brings it to the front with `aktivierung`;
// without one, marks it as demanding attention where the platform can.
void nachVorn(QWidget& fenster, const Aktivierung& aktivierung);

} // namespace kabel
