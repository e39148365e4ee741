#pragma once

#include <QString>
#include <optional>

namespace kabel {

// Identity of a device, as the device reported it (trimmed, never parsed or validated).
// An optional field is either absent or a non-empty text.
struct Geraetedaten {
    QString produkt; // model identifier; always present and never empty
    std::optional<QString> ios;
    std::optional<QString> seriennummer;
    std::optional<QString> imei;
    std::optional<QString> imei2;
    std::optional<QString> aktivierung;

    friend bool operator==(const Geraetedaten&, const Geraetedaten&) = default;
};

} // namespace kabel
