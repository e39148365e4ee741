#include "Werkoraantwort.h"

#include <nlohmann/json.hpp>

namespace kabel {

namespace {

// The string member `name` of a top-level object; none for anything else, unparsable JSON
// (invalid UTF-8 included) too.
std::optional<QString> textMitglied(const QByteArray& antwort, const char* name) {
    const auto json = nlohmann::json::parse(antwort.begin(), antwort.end(), nullptr, false);
    if (!json.is_object())
        return std::nullopt;
    const auto mitglied = json.find(name);
    if (mitglied == json.end() || !mitglied->is_string())
        return std::nullopt;
    return QString::fromStdString(mitglied->get_ref<const std::string&>());
}

} // namespace

std::optional<QString> werkstattAusAntwort(const QByteArray& antwort) {
    return textMitglied(antwort, "werkstatt");
}

QString ablehnungsgrund(const QByteArray& antwort) {
    return textMitglied(antwort, "error").value_or(QStringLiteral("Werkora hat die Daten nicht angenommen."));
}

} // namespace kabel
