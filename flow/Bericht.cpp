#include "Bericht.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <nlohmann/json.hpp>

namespace kabel {

namespace {

using Json = nlohmann::ordered_json;

std::string utf8(const QString& text) {
    return text.toStdString();
}

void optionalSetzen(Json& objekt, const char* schluessel, const std::optional<QString>& wert) {
    if (wert)
        objekt[schluessel] = utf8(*wert);
}

template <typename T>
void optionalSetzen(Json& objekt, const char* schluessel, const std::optional<T>& wert) {
    if (wert)
        objekt[schluessel] = *wert;
}

// Writes the serializer's output straight into the request body, without a std::string in between:
// a report with ten long panic logs is about 20 MB.
class ByteArrayAusgabe final : public nlohmann::detail::output_adapter_protocol<char> {
public:
    explicit ByteArrayAusgabe(QByteArray& ziel) : m_ziel(ziel) {}
    void write_character(char c) override { m_ziel.append(c); }
    void write_characters(const char* s, std::size_t length) override { m_ziel.append(s, qsizetype(length)); }

private:
    QByteArray& m_ziel;
};

} // namespace

QString programmText(const QString& version) {
    return u"Sondit Kabel " + (version.isEmpty() ? QStringLiteral("?") : version);
}

std::expected<QByteArray, QString> berichtKodieren(const Paket& paket) {
    try {
        Json bericht = Json::object();
        bericht["programm"] = utf8(paket.programm);

        Json geraet = Json::object();
        geraet["produkt"] = utf8(paket.geraet.produkt);
        optionalSetzen(geraet, "ios", paket.geraet.ios);
        optionalSetzen(geraet, "seriennummer", paket.geraet.seriennummer);
        optionalSetzen(geraet, "imei", paket.geraet.imei);
        optionalSetzen(geraet, "imei2", paket.geraet.imei2);
        optionalSetzen(geraet, "aktivierung", paket.geraet.aktivierung);
        bericht["geraet"] = std::move(geraet);

        if (paket.akku) {
            Json akku = Json::object();
            optionalSetzen(akku, "zyklen", paket.akku->zyklen);
            optionalSetzen(akku, "designMah", paket.akku->designMah);
            optionalSetzen(akku, "istMah", paket.akku->istMah);
            optionalSetzen(akku, "temperaturC", paket.akku->temperaturC);
            bericht["akku"] = std::move(akku);
        }

        // The panic texts make up nearly all of the report (up to ten times 2 MB): they are
        // written one log at a time instead of being copied into the tree as a whole. The
        // bytes are the same as those of the complete tree.
        qsizetype textLaenge = 0;
        for (const PanicLog& log : paket.panic)
            textLaenge += qsizetype(log.text.size());
        QByteArray body;
        // Escaping (line ends, quotes) adds a few percent; avoid a copy on the last append.
        body.reserve(textLaenge + textLaenge / 8 + 4096);
        nlohmann::detail::serializer<Json> schreiber(std::make_shared<ByteArrayAusgabe>(body), ' ',
                                                     nlohmann::detail::error_handler_t::strict);
        schreiber.dump(bericht, false, false, 0);
        body.chop(1); // the closing brace of the object
        body.append(R"(,"panic":[)");
        for (qsizetype i = 0; i < paket.panic.size(); ++i) {
            if (i > 0)
                body.append(',');
            const PanicLog& log = paket.panic[i];
            schreiber.dump(Json{{"datei", utf8(log.datei)}, {"text", log.text}}, false, false, 0);
        }
        body.append("]}");
        return body;
    } catch (const Json::exception& fehler) {
        return std::unexpected(QString::fromUtf8(fehler.what()));
    }
}

QString ablehnungsgrund(const QByteArray& antwort) {
    const QJsonDocument dokument = QJsonDocument::fromJson(antwort);
    const QJsonValue fehler = dokument.object().value(u"error");
    if (dokument.isObject() && fehler.isString())
        return fehler.toString();
    return QStringLiteral("Werkora hat die Daten nicht angenommen.");
}

} // namespace kabel
