#include "Geraeteliste.h"

#include "Ausgabetext.h"

namespace kabel {

QStringList geraeteAusListe(const Werkzeugergebnis& antwort) {
    return ausgabeText(antwort.ausgabe).split(u'\n', Qt::SkipEmptyParts);
}

} // namespace kabel
