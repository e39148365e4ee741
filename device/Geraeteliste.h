#pragma once

#include "Werkzeugergebnis.h"

#include <QStringList>

namespace kabel {

// The UDIDs in an answer of `idevice_id -l`, in the printed order. The exit status does not
// matter: whatever UDIDs were printed are attached devices. Lines are split at line feeds and
// not trimmed one by one; only the whole output is.
QStringList geraeteAusListe(const Werkzeugergebnis& antwort);

} // namespace kabel
