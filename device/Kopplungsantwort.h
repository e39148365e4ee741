#pragma once

#include "Werkzeugergebnis.h"

namespace kabel {

// Whether an answer of `idevicepair -u UDID validate` says the device trusts this computer:
// exactly when the tool ended with status 0. Its text is not needed for that.
bool gekoppeltLaut(const Werkzeugergebnis& antwort);

} // namespace kabel
