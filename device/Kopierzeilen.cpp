#include "Kopierzeilen.h"

namespace kabel {

namespace {

// A line longer than any the tool prints is kept up to here.
constexpr qsizetype zeileHoechstens = 1 << 16;

} // namespace

void Kopierzeilen::lesen(QByteArrayView stueck, bool fehlerausgabe) {
    QByteArray& rest = m_rest[fehlerausgabe ? 1 : 0];
    for (qsizetype ende; (ende = stueck.indexOf('\n')) >= 0; stueck = stueck.sliced(ende + 1)) {
        rest += stueck.first(ende);
        zeile(rest);
        rest.clear();
    }
    rest += stueck.first(std::min(stueck.size(), std::max<qsizetype>(zeileHoechstens - rest.size(), 0)));
}

void Kopierzeilen::abschliessen() {
    for (QByteArray& rest : m_rest) {
        zeile(rest);
        rest.clear();
    }
}

void Kopierzeilen::zeile(QByteArrayView zeile) {
    // "Failed to read information for '<path>'. Skipping..." (stdout), "Unable to open device file
    // '<path>' (<n>). Skipping...", "ERROR: Could not read device directory '<path>'", "File size
    // mismatch. Skipping..." (stderr).
    if (zeile.contains("File size mismatch") || zeile.contains("Could not read device directory")) {
        m_unvollstaendig = true;
        return;
    }
    if (!zeile.contains("Skipping") && !zeile.contains("Unable to open"))
        return;
    const qsizetype anfang = zeile.indexOf('\''), ende = zeile.lastIndexOf('\'');
    const QByteArrayView pfad =
        ende > anfang ? zeile.sliced(anfang + 1, ende - anfang - 1) : QByteArrayView();
    const QByteArray name = pfad.sliced(pfad.lastIndexOf('/') + 1).toByteArray().toLower();
    (name.startsWith("panic") ? m_unvollstaendig : m_uebersprungen) = true;
}

} // namespace kabel
