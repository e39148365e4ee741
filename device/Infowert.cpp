#include "Infowert.h"

#include "Ausgabetext.h"

namespace kabel {

std::optional<QString> infoWertAusAntwort(const Werkzeugergebnis& antwort) {
    QString text = ausgabeText(antwort.ausgabe);
    // A value counts whatever the status. One exception: the 1.3.0 tool prints its own failure
    // ("ERROR: Device <UDID> not found!", status 255) on stdout, and that must not become the
    // model of a phone that was unplugged a moment ago.
    if (text.isEmpty() || (antwort.status != 0 && text.startsWith(u"ERROR: ")))
        return std::nullopt;
    return text;
}

} // namespace kabel
