#pragma once

#include <QByteArrayView>
#include <memory>

namespace kabel {

// Property lists a tool answered, read by libplist only once their shape is known to be safe.

// A real battery answer makes a few hundred nodes.
inline constexpr quint64 plistKnotenHoechstens = 100'000;

// Whether a property list in XML or binary form nests its dictionaries and arrays no deeper than
// `hoechstens` levels and, in binary form, makes libplist build at most plistKnotenHoechstens nodes.
// libplist parses and frees nested containers recursively, so an answer nested a hundred thousand
// levels deep would overflow the stack; and it copies a binary object at every reference to it,
// so a few hundred bytes of shared references would grow into billions of nodes. Both are
// measured here first, without recursion. False also when the structure cannot be followed (then
// libplist could not read it either).
bool flachGenug(QByteArrayView plist, int hoechstens);

// The property list in XML or binary form as libplist reads it, freed with its holder; null when
// it cannot be read. Only for what flachGenug has let through.
std::unique_ptr<void, void (*)(void*)> plistLesen(QByteArrayView plist);

} // namespace kabel
