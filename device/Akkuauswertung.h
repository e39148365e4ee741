#pragma once

#include "Akkudaten.h"

#include <QByteArrayView>
#include <optional>
#include <plist/plist.h>

namespace kabel {

// Pure parsing of the battery answer (`idevicediagnostics ioregentry AppleSmartBattery`).

// The record from a whole answer: a property list in XML or binary form (libplist 2.2 reads no
// other). None when the bytes are no property list or its top level is not a dictionary.
std::optional<Akkudaten> akkudatenAusAntwort(QByteArrayView ausgabe);

// The record from the top-level dictionary of an answer. The figures come from its "IORegistry"
// dictionary when there is one (even an empty one), otherwise from the top level itself.
Akkudaten akkudatenAuswerten(plist_t woerterbuch);

} // namespace kabel
