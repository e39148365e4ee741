#include "Panicauswahl.h"

#include <QFileInfo>
#include <algorithm>

namespace kabel {

QStringList panicKandidatenWaehlen(const QStringList& pfade) {
    struct Kandidat {
        QList<uint> schluessel;
        QString pfad;
    };
    QList<Kandidat> kandidaten;
    for (const QString& pfad : pfade) {
        const QString name = QFileInfo(pfad).fileName();
        if (name.toLower().startsWith(u"panic"))
            kandidaten.append({name.normalized(QString::NormalizationForm_C).toUcs4(), pfad});
    }
    // UCS-4 rather than QString's UTF-16 order: a character above U+FFFF must sort after U+FFFF.
    std::stable_sort(kandidaten.begin(), kandidaten.end(),
                     [](const Kandidat& a, const Kandidat& b) { return b.schluessel < a.schluessel; });
    QStringList gewaehlt;
    for (qsizetype i = 0; i < std::min(kandidaten.size(), panicLogsHoechstens); ++i)
        gewaehlt.append(kandidaten[i].pfad);
    return gewaehlt;
}

} // namespace kabel
