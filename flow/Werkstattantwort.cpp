#include "Werkstattantwort.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace kabel {

std::optional<QString> werkstattAusAntwort(const QByteArray& antwort) {
    const QJsonDocument dokument = QJsonDocument::fromJson(antwort);
    if (!dokument.isObject())
        return std::nullopt;
    const QJsonValue werkstatt = dokument.object().value(u"werkstatt");
    if (!werkstatt.isString())
        return std::nullopt;
    return werkstatt.toString();
}

} // namespace kabel
