#pragma once

#include "Kopplung.h"
#include "Werkzeugergebnis.h"

namespace kabel {

// The trust state in an answer of `idevicepair -u UDID validate` (or "pair"): trusted exactly
// when the tool ended with status 0; otherwise the reason as the tool words it, or the lockdown
// error code it prints.
Kopplung kopplungLaut(const Werkzeugergebnis& antwort);

} // namespace kabel
