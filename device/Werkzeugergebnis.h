#pragma once

#include <QByteArray>

namespace kabel {

inline constexpr qsizetype fehlerausgabeBehalten = 1 << 16;

// Exit status, everything a tool wrote to its standard output, and the start of what it wrote to
// standard error (its first `fehlerausgabeBehalten` bytes; the rest is read and dropped).
struct Werkzeugergebnis {
    qint32 status = 0;
    QByteArray ausgabe;
    QByteArray fehlerausgabe;
};

} // namespace kabel
