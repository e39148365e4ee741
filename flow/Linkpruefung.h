#pragma once

#include <QUrl>
#include <optional>

namespace kabel {

// The safety gate for links handed to the app. The target address returned here is the only
// address the app ever contacts, and requests go to this very QUrl: whatever the parser reports
// as host is what is checked and what is connected to. Pure functions, any thread.

// The target address carried by a "sondit-kabel://lesen?ziel=…" link, or none when the link or
// its target is not acceptable. Only the first "ziel" item counts; later ones are ignored. The
// target is parsed strictly and never repaired.
std::optional<QUrl> zielAusLink(const QUrl& link);

// Whether a target address may be contacted: https to the Werkora domain or a name below it, or
// http to localhost / 127.0.0.1; no user information; path "/api/public/kabel/<token>", where
// empty pieces (a doubled or trailing slash) do not count.
bool zielErlaubt(const QUrl& ziel);

} // namespace kabel
