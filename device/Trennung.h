#pragma once

#include "Werkzeugergebnis.h"

namespace kabel {

// Whether a tool that failed says the phone is no longer there: "No device found …" or
// "ERROR: Device <UDID> not found!", on stdout (1.3.0) or on stderr (1.4).
bool geraetGetrennt(const Werkzeugergebnis& antwort);

} // namespace kabel
