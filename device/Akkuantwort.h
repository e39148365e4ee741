#pragma once

#include "Akkudaten.h"
#include "Werkzeugergebnis.h"

#include <optional>

namespace kabel {

// The battery figures in an answer of `idevicediagnostics -u UDID ioregentry AppleSmartBattery`:
// a property list in XML or binary form whose top level is a dictionary. The figures come from its
// "IORegistry" dictionary when there is one (even an empty one), otherwise from the top level.
// None when the tool failed (its errors come on stdout, so only status 0 counts), when the output
// is no such property list, or when it nests too deep or would grow too large to parse safely.
std::optional<Akkudaten> akkudatenAusAntwort(const Werkzeugergebnis& antwort);

} // namespace kabel
