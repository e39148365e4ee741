#include "Kopplungsantwort.h"

namespace kabel {

Kopplung kopplungLaut(const Werkzeugergebnis& antwort) {
    if (antwort.status == 0)
        return Kopplung::gekoppelt;
    // The 1.3.0 tool's own sentences, on stdout.
    if (antwort.ausgabe.contains("because a passcode is set"))
        return Kopplung::gesperrt;
    if (antwort.ausgabe.contains("said that the user denied the trust dialog"))
        return Kopplung::abgelehnt;
    return Kopplung::ausstehend;
}

} // namespace kabel
