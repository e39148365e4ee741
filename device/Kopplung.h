#pragma once

#include <QtGlobal>

namespace kabel {

// What a trust test or a pairing request found: the phone trusts this computer, or not yet (its
// dialog pending), or it refuses because it is locked with a passcode, or its user tapped "Don't
// Trust", or it answered with a lockdown error the tool has no sentence for.
struct Kopplung {
    // Unscoped, so the states read Kopplung::gekoppelt (g++ 12 fails on `using enum` in templates).
    enum Stand { gekoppelt, ausstehend, gesperrt, abgelehnt, fehlgeschlagen };

    Stand stand = ausstehend;
    // With `fehlgeschlagen`, lockdown's error code: -5 SSL error, -7 receive timeout, -8 mux error,
    // -36 pairing prohibited over this connection, -37 Find My, -38/-39 managed configuration, …
    qint32 fehlercode = 0;

    friend bool operator==(const Kopplung&, const Kopplung&) = default;
};

} // namespace kabel
