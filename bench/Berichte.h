#pragma once

#include "device/Panicdatei.h"

#include <QByteArray>
#include <QStringBuilder>

namespace kabel::bench {

constexpr qsizetype zeichenProBericht = 2'500'000;

// A report of `zeichenProBericht` grapheme clusters: ASCII log lines, umlauts, an emoji ZWJ
// sequence and CR LF line ends.
inline QByteArray bericht(int nummer) {
    const QByteArray ascii =
        QByteArray("2024-05-17 08:15:30.123 kernel[0]: AppleSmartBattery: cell voltage 3876 mV report ") +
        QByteArray::number(nummer) + " ";
    const QByteArray besonders[] = {"\xc3\x9c"
                                    "berpr\xc3\xbc"
                                    "fung l\xc3\xa4uft ", // "Überprüfung läuft " (18)
                                    "\xf0\x9f\x91\xa9\xe2\x80\x8d\xf0\x9f\x92\xbb"}; // one cluster
    QByteArray text;
    qsizetype zeichen = 0;
    int zeile = 0;
    while (zeichen < zeichenProBericht) {
        text += ascii;
        zeichen += ascii.size();
        text += besonders[0];
        zeichen += 18;
        if (++zeile % 4 == 0) {
            text += besonders[1];
            ++zeichen;
        }
        text += "\r\n";
        ++zeichen;
    }
    // Trim the last line so the report holds exactly zeichenProBericht clusters.
    return QByteArray::fromStdString(*panicText(text, zeichenProBericht));
}

} // namespace kabel::bench
