#include "Panicanzeige.h"

#include "device/Panicdatei.h"

#include <algorithm>

namespace kabel {

namespace {

// Reasons are shown with at most this many characters (grapheme clusters), the ellipsis included.
constexpr std::size_t grundHoechstens = 100;

QString gekuerzt(const QString& grund) {
    const QByteArray text = grund.toUtf8();
    if (panicText(text, grundHoechstens).value_or(std::string()).size() == std::size_t(text.size()))
        return grund;
    return QString::fromStdString(panicText(text, grundHoechstens - 1).value_or(std::string())) + u'…';
}

// Only the two readings that repair guides agree on; other codes depend on the model.
QString sensorenText(const QStringList& sensoren) {
    const std::pair<QStringList, QString> hinweise[] = {
        {{QStringLiteral("Prs0"), QStringLiteral("Mic1")}, QStringLiteral("(häufig: Ladebuchsen-Flex)")},
        {{QStringLiteral("TG0B"), QStringLiteral("TG0V")},
         QStringLiteral("(häufig: Akku oder Akkustecker)")}};
    QString text = sensoren.join(u", ");
    for (const auto& [namen, hinweis] : hinweise) {
        if (std::ranges::any_of(
                namen, [&](const QString& name) { return sensoren.contains(name, Qt::CaseInsensitive); }))
            text += u' ' + hinweis;
    }
    return text;
}

} // namespace

QList<Rasterzeile> panicZeilen(qint64 anzahl, const Panicbefund& befund) {
    QStringList auffaellig;
    if (befund.leer > 0)
        auffaellig << QString::number(befund.leer) + u" leer";
    if (befund.unlesbar > 0)
        auffaellig << QString::number(befund.unlesbar) + u" nicht lesbar";
    QString wert = anzahl == 0 ? QStringLiteral("keine") : QString::number(anzahl);
    if (!auffaellig.isEmpty())
        wert += u" (" + auffaellig.join(u", ") + u')';
    QList<Rasterzeile> zeilen{{QStringLiteral("Panic-Logs"), wert, false}};

    if (const auto& letzte = befund.letzte) {
        zeilen.append({QStringLiteral("Letzte Panic"),
                       letzte->zeit.datum.toString(u"dd.MM.yyyy") + u' ' +
                           letzte->zeit.uhrzeit.toString(u"HH:mm") + u" · " + gekuerzt(letzte->grund),
                       false, 2, letzte->ersteZeile});
        // Only the ten newest names are read, and a watchdog panic comes back every 180 s: the
        // line says what was counted.
        if (letzte->gleicherGrund > 1)
            zeilen.append({QString(),
                           QStringLiteral("Gleicher Grund in %1 von %2 gelesenen Logs (seit %3)")
                               .arg(letzte->gleicherGrund)
                               .arg(anzahl)
                               .arg(letzte->seit.toString(u"dd.MM.yyyy")),
                           false,
                           3,
                           {}});
    }
    if (!befund.fehlendeSensoren.isEmpty())
        zeilen.append(
            {QStringLiteral("Fehlende Sensoren"), sensorenText(befund.fehlendeSensoren), false, 3, {}});
    return zeilen;
}

} // namespace kabel
