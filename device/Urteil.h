#pragma once

#include "Werkzeuglaeufer.h"

namespace kabel {

// The one verdict on a run of ideviceinfo, idevicediagnostics or idevicecrashreport, from the
// runner's failure or the status and both streams (1.3.0 prints some errors on stdout), logged
// unless `fertig`: a whole answer; the value withheld (status 0, nothing printed); the phone gone;
// the phone not answering (killed, lockdown refused); the tool missing; or otherwise failed.
enum class Urteil { fertig, zurueckgehalten, getrennt, antwortetNicht, werkzeugFehlt, fehlgeschlagen };

Urteil urteilen(const Ergebnis<Werkzeugergebnis>& lauf);

// What a reading that ends on `urteil` fails with: the phone gone, the tool missing, otherwise
// "Das iPhone antwortet nicht. …".
ZugriffFehler lesefehler(Urteil urteil);

} // namespace kabel
