#pragma once

#include "device/Geraetezugriff.h"
#include "device/Panicbefund.h"

#include <QByteArray>
#include <expected>

namespace kabel {

// What one reading of a trusted device yields, with the report already encoded from it.
struct Lesung {
    Geraetedaten geraet;
    std::optional<Akkudaten> akku;
    qint64 panicAnzahl = 0;                     // the texts go into the report only
    Panicbefund panicBefund;                    // what the window shows of them, read from the texts
    std::expected<QByteArray, QString> bericht; // the body to post, or the encoder's description
};

using Leseergebnis = std::expected<Lesung, Fehler>;

// The read job: identity, then battery, then panic logs, one after the other, then the report
// with `programm` as its program text. The first reading that fails ends the job at once; nothing
// else is read then, and nothing incomplete is sent. `melden` hears how far the copy of the crash
// reports has got. Blocks for the tools' whole run time; meant for the device pool.
Leseergebnis geraetLesen(const Geraetezugriff& zugriff, const QString& udid, const QString& programm,
                         const Kopiermeldung& melden = {});

// The line under the reading step while crash reports are copied: from 2 s on, how many have
// arrived and their size as file managers show it (1 kB = 1000 bytes), in whole kilobytes below
// 1 MB and whole megabytes from there; none before.
std::optional<QString> kopierText(const Kopierstand& stand);

} // namespace kabel
