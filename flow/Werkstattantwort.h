#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace kabel {

// The workshop name in Werkora's answer to the lookup: the top-level string member "werkstatt",
// unchanged (an empty string stays empty). Anything else (no JSON, no object, another type) is
// no name, which is not an error.
std::optional<QString> werkstattAusAntwort(const QByteArray& antwort);

} // namespace kabel
