#include "Geraeteliste.h"

namespace kabel {

std::optional<QStringList> geraeteAusListe(const Werkzeugergebnis& antwort) {
    QStringList udids = QString::fromUtf8(antwort.ausgabe).trimmed().split(u'\n', Qt::SkipEmptyParts);
    if (udids.isEmpty() && antwort.status != 0)
        return std::nullopt;
    return udids;
}

} // namespace kabel
