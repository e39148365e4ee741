#pragma once

#include "Akkudaten.h"

#include <QByteArray>
#include <optional>

namespace kabel {

// The battery figures in a whole answer of `idevicediagnostics -u UDID ioregentry AppleSmartBattery`:
// an XML property list whose top level is a dictionary. The figures come from its "IORegistry"
// dictionary when there is one (even an empty one), otherwise from the top level. None when the
// output is no such property list, or when it nests too deep to parse safely.
std::optional<Akkudaten> akkudatenAusAntwort(const QByteArray& ausgabe);

} // namespace kabel
