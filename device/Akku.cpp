// The battery figures, read from the registry entry "AppleSmartBattery".
#include "Akkuauswertung.h"
#include "Libimobiledevice.h"

namespace kabel {

std::optional<Akkudaten> Libimobiledevice::akkudatenLesen(const QString& udid) const {
    const auto lauf = ausfuehren(
        QStringLiteral("idevicediagnostics"),
        {QStringLiteral("-u"), udid, QStringLiteral("ioregentry"), QStringLiteral("AppleSmartBattery")});
    // The tool prints its errors on stdout, so the output only counts with status 0.
    if (!lauf || lauf->status != 0)
        return std::nullopt;
    return akkudatenAusAntwort(lauf->ausgabe);
}

} // namespace kabel
