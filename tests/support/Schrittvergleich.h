#pragma once

#include "flow/Schritt.h"

#include <QTest>

namespace kabel {

// Tests compare steps as values: the same case with the same text.
inline bool operator==(const Schritt& a, const Schritt& b) {
    return a.fall() == b.fall() && a.text() == b.text();
}

inline char* toString(const Schritt& schritt) {
    static const char* const namen[] = {"ohneLink", "linkUngueltig", "wartetAufGeraet", "wartetAufVertrauen",
                                        "liest",    "sendet",        "fertig",          "fehler"};
    return QTest::toString(QString::fromLatin1(namen[int(schritt.fall())]) + u' ' + schritt.text());
}

} // namespace kabel

Q_DECLARE_METATYPE(kabel::Schritt)
