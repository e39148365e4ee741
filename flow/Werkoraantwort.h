#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace kabel {

// What the app reads from Werkora's small JSON answers. Neither ever fails: an answer that is no
// JSON object, or lacks the member, gives the fallback.

// The workshop name in the answer to the lookup: the top-level string member "werkstatt",
// unchanged (an empty string stays empty); none otherwise.
std::optional<QString> werkstattAusAntwort(const QByteArray& antwort);

// What to show when Werkora refuses the report: its top-level string member "error", or
// "Werkora hat die Daten nicht angenommen.".
QString ablehnungsgrund(const QByteArray& antwort);

} // namespace kabel
