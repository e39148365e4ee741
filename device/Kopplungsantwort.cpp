#include "Kopplungsantwort.h"

namespace kabel {

bool gekoppeltLaut(const Werkzeugergebnis& antwort) {
    return antwort.status == 0;
}

} // namespace kabel
