#include "Geraeteliste.h"

#include "Ausgabetext.h"

namespace kabel {

std::optional<QStringList> geraeteAusListe(const Werkzeugergebnis& antwort) {
    QStringList udids = ausgabeText(antwort.ausgabe).split(u'\n', Qt::SkipEmptyParts);
    if (udids.isEmpty() && antwort.status != 0)
        return std::nullopt;
    return udids;
}

} // namespace kabel
