#pragma once

#include "Werkzeugergebnis.h"

#include <QStringList>
#include <optional>

namespace kabel {

// The UDIDs in an answer of `idevice_id -l`, in the printed order: whatever UDIDs were printed
// are attached devices, whatever the status. Lines are split at line feeds and not trimmed one
// by one; only the whole output is. None when the listing itself failed: a non-zero status with
// nothing printed, which is how the tool says that usbmuxd cannot be reached.
std::optional<QStringList> geraeteAusListe(const Werkzeugergebnis& antwort);

} // namespace kabel
