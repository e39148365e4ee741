#pragma once

#include "Ansichtsbeschreibung.h"
#include "device/Panicbefund.h"

namespace kabel {

// The grid's rows on the panic logs: "Panic-Logs" with how many are empty or unreadable, then, when
// the logs say so, the last panic with its reason, how often that reason stands in the logs read,
// and the missing sensors with the part that repair guides agree they point to.
QList<Rasterzeile> panicZeilen(qint64 anzahl, const Panicbefund& befund);

} // namespace kabel
