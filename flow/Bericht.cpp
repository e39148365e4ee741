#include "Bericht.h"

#include <nlohmann/json.hpp>

namespace kabel {

namespace {

using Json = nlohmann::ordered_json;

template <typename T>
void optionalSetzen(Json& objekt, const char* schluessel, const std::optional<T>& wert) {
    if (!wert)
        return;
    if constexpr (std::is_same_v<T, QString>)
        objekt[schluessel] = wert->toStdString();
    else
        objekt[schluessel] = *wert;
}

// Compact, and throwing on invalid UTF-8 instead of writing it.
std::string kompakt(const Json& json) {
    return json.dump(-1, ' ', false, Json::error_handler_t::strict);
}

} // namespace

QString programmText(const QString& version) {
    return u"Sondit Kabel " + version;
}

std::expected<QByteArray, QString> berichtKodieren(const Paket& paket) {
    try {
        Json geraet = {{"produkt", paket.geraet.produkt.toStdString()}};
        optionalSetzen(geraet, "ios", paket.geraet.ios);
        optionalSetzen(geraet, "seriennummer", paket.geraet.seriennummer);
        optionalSetzen(geraet, "imei", paket.geraet.imei);
        optionalSetzen(geraet, "imei2", paket.geraet.imei2);
        optionalSetzen(geraet, "aktivierung", paket.geraet.aktivierung);
        Json bericht = {{"programm", paket.programm.toStdString()}, {"geraet", std::move(geraet)}};
        if (paket.akku) {
            Json akku = Json::object();
            optionalSetzen(akku, "zyklen", paket.akku->zyklen);
            optionalSetzen(akku, "designMah", paket.akku->designMah);
            optionalSetzen(akku, "istMah", paket.akku->istMah);
            optionalSetzen(akku, "temperaturC", paket.akku->temperaturC);
            bericht["akku"] = std::move(akku);
        }

        // The panic texts make up nearly all of the report (up to ten times 2 MB): they are
        // encoded one log at a time and appended, instead of all being copied into one tree.
        // The bytes are those the whole tree would give.
        std::size_t textLaenge = 0;
        for (const PanicLog& log : paket.panic)
            textLaenge += log.text.size();
        const std::string kopf = kompakt(bericht);
        QByteArray body;
        // Escaping line ends and quotes adds a few percent; one allocation for the whole body.
        body.reserve(qsizetype(kopf.size() + textLaenge + textLaenge / 8 + 64 * paket.panic.size() + 16));
        body.append(kopf.data(), qsizetype(kopf.size()) - 1); // without the closing brace
        body.append(R"(,"panic":[)");
        for (qsizetype i = 0; i < paket.panic.size(); ++i) {
            if (i > 0)
                body.append(',');
            const std::string log =
                kompakt(Json{{"datei", paket.panic[i].datei.toStdString()}, {"text", paket.panic[i].text}});
            body.append(log.data(), qsizetype(log.size()));
        }
        body.append("]}");
        return body;
    } catch (const Json::exception& fehler) {
        return std::unexpected(QString::fromUtf8(fehler.what()));
    }
}

} // namespace kabel
