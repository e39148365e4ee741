#include "Akkuantwort.h"

#include "Plistleser.h"

#include <cmath>
#include <limits>
#include <memory>
#include <plist/plist.h>

namespace kabel {

namespace {

// Integers as they are (libplist keeps them as 64 bits, negative ones in two's complement), reals
// truncated toward zero, Booleans as 0/1. Texts are never converted, not even "512".
std::optional<qint64> zahl(plist_t woerterbuch, const char* schluessel) {
    const plist_t wert = plist_dict_get_item(woerterbuch, schluessel);
    if (!wert)
        return std::nullopt;
    switch (plist_get_node_type(wert)) {
    case PLIST_UINT: {
        uint64_t roh = 0;
        plist_get_uint_val(wert, &roh);
        return static_cast<qint64>(roh);
    }
    case PLIST_REAL: {
        double roh = 0;
        plist_get_real_val(wert, &roh);
        // Converting NaN or a value outside qint64 would be undefined: NaN is no figure at all,
        // the rest saturates.
        if (std::isnan(roh))
            return std::nullopt;
        if (roh >= 9223372036854775807.0)
            return std::numeric_limits<qint64>::max();
        if (roh <= -9223372036854775808.0)
            return std::numeric_limits<qint64>::min();
        return static_cast<qint64>(std::trunc(roh));
    }
    case PLIST_BOOLEAN: {
        uint8_t roh = 0;
        plist_get_bool_val(wert, &roh);
        return roh ? 1 : 0;
    }
    default:
        return std::nullopt;
    }
}

Akkudaten akkudatenAuswerten(plist_t woerterbuch) {
    plist_t quelle = woerterbuch;
    const plist_t registry = plist_dict_get_item(woerterbuch, "IORegistry");
    if (registry && plist_get_node_type(registry) == PLIST_DICT)
        quelle = registry;

    Akkudaten akku;
    akku.istMah = zahl(quelle, "NominalChargeCapacity");
    if (!akku.istMah)
        akku.istMah = zahl(quelle, "AppleRawMaxCapacity");
    akku.zyklen = zahl(quelle, "CycleCount");
    akku.designMah = zahl(quelle, "DesignCapacity");
    if (const auto hundertstel = zahl(quelle, "Temperature"))
        akku.temperaturC = double(*hundertstel) / 100.0;
    return akku;
}

} // namespace

std::optional<Akkudaten> akkudatenAusAntwort(const QByteArray& ausgabe) {
    // A real answer nests a few levels; libplist would overflow the stack on a hostile one.
    if (ausgabe.isEmpty() || !flachGenug(ausgabe, 32))
        return std::nullopt;
    const auto wurzel = plistLesen(ausgabe);
    if (!wurzel || plist_get_node_type(wurzel.get()) != PLIST_DICT)
        return std::nullopt;
    return akkudatenAuswerten(wurzel.get());
}

} // namespace kabel
