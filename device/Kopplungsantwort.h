#pragma once

#include "Werkzeugergebnis.h"

namespace kabel {

// What a trust test found: the phone trusts this computer, or not yet (its dialog pending), or
// it refuses because it is locked with a passcode, or its user tapped "Don't Trust".
enum class Kopplung { gekoppelt, ausstehend, gesperrt, abgelehnt };

// The trust state in an answer of `idevicepair -u UDID validate` (or "pair"): trusted exactly
// when the tool ended with status 0; otherwise the reason as the tool words it.
Kopplung kopplungLaut(const Werkzeugergebnis& antwort);

} // namespace kabel
