#pragma once

#include "device/Geraetezugriff.h"

#include <expected>

namespace kabel {

// What one reading of a trusted device yields.
struct Lesung {
    Geraetedaten geraet;
    std::optional<Akkudaten> akku;
    QList<PanicLog> panic;
};

using Leseergebnis = std::expected<Lesung, Fehler>;

// The read job: identity, then battery, then panic logs, one after the other. A failed identity
// read ends the job at once; nothing else is read then. Blocks for the tools' whole run time.
Leseergebnis geraetLesen(const Geraetezugriff& zugriff, const QString& udid);

} // namespace kabel
