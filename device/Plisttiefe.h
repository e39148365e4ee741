#pragma once

#include <QByteArrayView>

namespace kabel {

// Whether a property list in XML or binary form nests its dictionaries and arrays no deeper than
// `hoechstens` levels. libplist parses and frees nested containers recursively, so an answer
// nested a hundred thousand levels deep would overflow the stack; it is measured here first,
// without recursion. False also when the structure cannot be followed (then libplist could not
// read it either).
bool flachGenug(QByteArrayView plist, int hoechstens);

} // namespace kabel
