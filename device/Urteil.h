#pragma once

#include "Werkzeugergebnis.h"
#include "ZugriffFehler.h"

namespace kabel {

// What a reading tool's run says: its answer is whole (`fertig`), the phone withholds the value
// (status 0, nothing printed), the phone is gone, the phone does not answer (the tool was killed,
// or lockdown refused the connection), the tool is missing, or the run failed otherwise (the tool
// could not start, or ended with another error).
enum class Urteil { fertig, zurueckgehalten, getrennt, antwortetNicht, werkzeugFehlt, fehlgeschlagen };

// The one verdict on a run of ideviceinfo, idevicediagnostics or idevicecrashreport, from the
// runner's failure or from the status and both streams (1.3.0 prints some errors on stdout). Each
// verdict but `fertig` is logged.
Urteil urteilen(const Ergebnis<Werkzeugergebnis>& lauf);

// What a reading that ends on `urteil` fails with: the phone gone, the tool missing, otherwise
// "Das iPhone antwortet nicht. …".
ZugriffFehler lesefehler(Urteil urteil);

} // namespace kabel
