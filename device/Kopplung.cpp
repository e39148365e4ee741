// Listing attached devices and managing the pairing with this computer (idevice_id, idevicepair).
#include "Libimobiledevice.h"

namespace kabel {

Ergebnis<QStringList> Libimobiledevice::geraete() const {
    const auto lauf = ausfuehren(QStringLiteral("idevice_id"), {QStringLiteral("-l")});
    if (!lauf)
        return std::unexpected(lauf.error());
    // The status is ignored on purpose: whatever UDIDs were printed are attached devices.
    // Lines are not trimmed one by one; only the overall trim applies.
    return ausgabeText(lauf->ausgabe).split(u'\n', Qt::SkipEmptyParts);
}

bool Libimobiledevice::istGekoppelt(const QString& udid) const {
    // Note: with no pair record on the host, "validate" itself brings up the trust dialog.
    const auto lauf =
        ausfuehren(QStringLiteral("idevicepair"), {QStringLiteral("-u"), udid, QStringLiteral("validate")});
    return lauf && lauf->status == 0;
}

Ergebnis<void> Libimobiledevice::koppeln(const QString& udid) const {
    const auto lauf =
        ausfuehren(QStringLiteral("idevicepair"), {QStringLiteral("-u"), udid, QStringLiteral("pair")});
    if (!lauf)
        return std::unexpected(lauf.error());
    if (lauf->status != 0)
        return std::unexpected(ZugriffFehler::nichtGekoppelt());
    return {};
}

void Libimobiledevice::entkoppeln(const QString& udid) const {
    (void)ausfuehren(QStringLiteral("idevicepair"), {QStringLiteral("-u"), udid, QStringLiteral("unpair")});
}

} // namespace kabel
