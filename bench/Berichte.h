#pragma once

#include <QByteArray>
#include <QStringBuilder>

namespace kabel::bench {

constexpr qsizetype zeichenProBericht = 2'500'000;

// A panic-full report of `zeichenProBericht` grapheme clusters, as a phone writes it: a header
// line of JSON, then a pretty-printed body whose panic text stands near its start, or, for every
// number ending in 5, behind 2.5 MB of other text (so the copy cut at 2,000,000 characters has
// lost it). The other text holds log lines with umlauts and an emoji ZWJ sequence.
inline QByteArray bericht(int nummer) {
    const QByteArray kopf =
        "{\"bug_type\":\"210\",\"timestamp\":\"2024-05-" + QByteArray::number(10 + nummer % 20) +
        " 08:15:30.00 +0200\",\"os_version\":\"iPhone OS 17.5.1 (21F90)\",\"incident_id\":"
        "\"5C1F3B2A-0D4E-4F6A-9B8C-7D6E5F4A3B2C\",\"roots_installed\":0}\n"
        "{\n  \"build\" : \"iPhone OS 17.5.1 (21F90)\",\n  \"product\" : \"iPhone14,5\",\n";
    const QByteArray panic =
        "  \"panicString\" : \"panic(cpu 1 caller 0xfffffff01a2b3c4d): userspace watchdog "
        "timeout: no successful checkins from thermalmonitord in 180 seconds\\nservice: "
        "thermalmonitord, total successful checkins since wake (" +
        QByteArray::number(nummer) + " seconds ago): 0\\nMissing sensor(s): Prs0\\n\"";
    const bool amEnde = nummer % 10 == 5;
    const QByteArray vorn =
        kopf + (amEnde ? QByteArray() : QByteArray(panic + ",\n")) + "  \"otherString\" : \"";
    const QByteArray hinten = amEnde ? QByteArray("\",\n" + panic + "\n}\n") : QByteArray("\"\n}\n");

    const QByteArray ascii =
        "2024-05-17 08:15:30.123 kernel[0]: AppleSmartBattery: cell voltage 3876 mV report " +
        QByteArray::number(nummer) + ' ';
    const QByteArray umlaute = "\xc3\x9c"
                               "berpr\xc3\xbc"
                               "fung l\xc3\xa4uft ";                         // "Überprüfung läuft " (18)
    const QByteArray emoji = "\xf0\x9f\x91\xa9\xe2\x80\x8d\xf0\x9f\x92\xbb"; // one cluster
    QByteArray text = vorn;
    qsizetype zeichen = vorn.size() + hinten.size(); // both ASCII
    for (int zeile = 1;; ++zeile) {
        const qsizetype laenge = ascii.size() + 18 + (zeile % 4 == 0 ? 1 : 0) + 2; // "\n" escaped: 2
        if (zeichen + laenge > zeichenProBericht)
            break;
        text += ascii + umlaute + (zeile % 4 == 0 ? emoji : QByteArray()) + "\\n";
        zeichen += laenge;
    }
    return text + QByteArray(zeichenProBericht - zeichen, '.') + hinten;
}

} // namespace kabel::bench
