#include "Trennung.h"

#include <QRegularExpression>

namespace kabel {

bool geraetGetrennt(const Werkzeugergebnis& antwort) {
    static const QRegularExpression meldung(
        QStringLiteral("^(No device found|ERROR: No device found|ERROR: Device \\S+ not found!)"),
        QRegularExpression::MultilineOption);
    return antwort.status != 0 && (QString::fromUtf8(antwort.ausgabe).contains(meldung) ||
                                   QString::fromUtf8(antwort.fehlerausgabe).contains(meldung));
}

} // namespace kabel
