#pragma once

#include "Werkzeugergebnis.h"

#include <QString>
#include <optional>

namespace kabel {

// The value in an answer of `ideviceinfo -u UDID -k KEY`, trimmed; none when the tool printed
// nothing usable. A key without a value prints nothing at all, with status 0.
std::optional<QString> infoWertAusAntwort(const Werkzeugergebnis& antwort);

} // namespace kabel
