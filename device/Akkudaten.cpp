#include "Akkudaten.h"

#include <cmath>
#include <limits>

namespace kabel {

std::optional<qint64> zustandProzent(const Akkudaten& akku) {
    if (!akku.designMah || !akku.istMah || *akku.designMah < 1)
        return std::nullopt;
    const double prozent = std::round(double(*akku.istMah) / double(*akku.designMah) * 100.0);
    if (prozent >= 100.0)
        return 100;
    // Converting a double below the range of qint64 would be undefined; no battery gets there.
    constexpr double kleinster = double(std::numeric_limits<qint64>::min());
    if (prozent <= kleinster)
        return std::numeric_limits<qint64>::min();
    return qint64(prozent);
}

} // namespace kabel
