#pragma once

#include <QByteArrayView>
#include <memory>

namespace kabel {

// Property lists a tool answered, read by libplist only once their shape is known to be safe.
// The tools print XML (idevicediagnostics converts with plist_to_xml); the binary form is refused.

// Whether an XML property list nests its dictionaries and arrays no deeper than `hoechstens`
// levels. libplist parses and frees nested containers recursively, so an answer nested a hundred
// thousand levels deep would overflow the stack: measured here first, without recursion. False
// also for a binary property list ("bplist00") and for what is no well-formed XML.
bool flachGenug(QByteArrayView plist, int hoechstens);

// The XML property list as libplist reads it, freed with its holder; null when it cannot be read.
// Only for what flachGenug has let through.
std::unique_ptr<void, void (*)(void*)> plistLesen(QByteArrayView plist);

} // namespace kabel
