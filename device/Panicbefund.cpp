#include "Panicbefund.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>
#include <string_view>

namespace kabel {

namespace {

// A cursor over a report's body, a pretty-printed JSON object. It looks only for one key at the
// top level and steps over every other value without reading it, so nothing after the panic text
// needs to be there, nor to be valid.
class Koerper {
public:
    explicit Koerper(std::string_view text) : m_text(text) {}

    // The raw JSON string (quotes included) under `schluessel`; none when the object ends, the
    // text ends or the syntax breaks before it is complete, or its value is no string.
    std::optional<std::string_view> wertVon(std::string_view schluessel) {
        if (!zeichen('{'))
            return std::nullopt;
        while (true) {
            leerraum();
            const std::optional<std::string_view> name = kette();
            if (!name || !zeichen(':'))
                return std::nullopt;
            leerraum();
            if (name->substr(1, name->size() - 2) == schluessel)
                return kette();
            if (!ueberspringen() || !zeichen(','))
                return std::nullopt;
        }
    }

private:
    bool amEnde() const { return m_i >= m_text.size(); }

    void leerraum() {
        while (!amEnde() &&
               (m_text[m_i] == ' ' || m_text[m_i] == '\n' || m_text[m_i] == '\r' || m_text[m_i] == '\t'))
            ++m_i;
    }

    bool zeichen(char c) {
        leerraum();
        if (amEnde() || m_text[m_i] != c)
            return false;
        ++m_i;
        return true;
    }

    std::optional<std::string_view> kette() {
        if (amEnde() || m_text[m_i] != '"')
            return std::nullopt;
        const std::size_t anfang = m_i++;
        while (!amEnde()) {
            const char c = m_text[m_i++];
            if (c == '\\')
                ++m_i;
            else if (c == '"')
                return m_text.substr(anfang, m_i - anfang);
        }
        return std::nullopt;
    }

    bool ueberspringen() {
        if (amEnde())
            return false;
        if (m_text[m_i] == '"')
            return kette().has_value();
        if (m_text[m_i] == '{' || m_text[m_i] == '[') {
            int tiefe = 0;
            while (!amEnde()) {
                if (m_text[m_i] == '"') {
                    if (!kette())
                        return false;
                    continue;
                }
                const char c = m_text[m_i++];
                if (c == '{' || c == '[')
                    ++tiefe;
                else if ((c == '}' || c == ']') && --tiefe == 0)
                    return true;
            }
            return false;
        }
        const std::size_t anfang = m_i; // a number, true, false or null
        while (!amEnde() && std::string_view(",}] \n\r\t").find(m_text[m_i]) == std::string_view::npos)
            ++m_i;
        return m_i > anfang && !amEnde();
    }

    std::string_view m_text;
    std::size_t m_i = 0;
};

// "2024-03-15 14:22:01.00 +0100"
std::optional<Paniczeit> zeitAus(const QString& text) {
    static const QRegularExpression muster(
        QStringLiteral(R"(^(\d{4})-(\d\d)-(\d\d) (\d\d):(\d\d):(\d\d)(?:\.(\d{1,9}))? ([+-])(\d\d)(\d\d)$)"));
    const QRegularExpressionMatch treffer = muster.match(text.trimmed());
    const auto zahl = [&](int i) { return treffer.captured(i).toInt(); };
    if (!treffer.hasMatch())
        return std::nullopt;
    const QDate datum(zahl(1), zahl(2), zahl(3));
    const QTime uhrzeit(zahl(4), zahl(5), zahl(6), QString(treffer.captured(7) + u"00").left(3).toInt());
    if (!datum.isValid() || !uhrzeit.isValid() || zahl(9) > 23 || zahl(10) > 59)
        return std::nullopt;
    constexpr qint64 tagMs = 86'400'000, julianischer1970 = 2'440'588;
    const qint64 versatzMs = (treffer.captured(8) == u"-" ? -1 : 1) * (zahl(9) * 60 + zahl(10)) * 60'000;
    return Paniczeit{datum, uhrzeit,
                     (datum.toJulianDay() - julianischer1970) * tagMs + uhrzeit.msecsSinceStartOfDay() -
                         versatzMs};
}

struct Gelesen {
    Paniczeit zeit;
    QString panicText;
};

// None when the header is no JSON object with a timestamp or the body holds no panic text.
std::optional<Gelesen> lesen(std::string_view text) {
    const std::size_t zeilenende = std::min(text.find('\n'), text.size());
    const QJsonDocument kopf =
        QJsonDocument::fromJson(QByteArray::fromRawData(text.data(), qsizetype(zeilenende)));
    const std::optional<Paniczeit> zeit = zeitAus(kopf.object().value(u"timestamp").toString());
    if (!zeit)
        return std::nullopt;
    const QJsonValue art = kopf.object().value(u"bug_type");
    const bool zuruecksetzen = art.toString() == u"151" || art.toInt() == 151;
    const std::optional<std::string_view> roh =
        Koerper(text.substr(zeilenende)).wertVon(zuruecksetzen ? "string" : "panicString");
    if (!roh)
        return std::nullopt;
    // Qt decodes the escapes; the brackets make the single string a document.
    QByteArray feld;
    feld.reserve(qsizetype(roh->size()) + 2);
    feld.append('[').append(roh->data(), qsizetype(roh->size())).append(']');
    const QJsonDocument wert = QJsonDocument::fromJson(feld);
    return Gelesen{*zeit, wert.array().at(0).toString()};
}

// The first line cleaned, in this order, of the kernel's "panic(cpu N caller 0x…):", a leading
// "Debugger message:", a trailing source location and one pair of quotes; long hexadecimal
// addresses differ from boot to boot and are shortened.
QString grundAus(const QString& zeile) {
    static const QRegularExpression kern(QStringLiteral(R"(^panic\(cpu \d+ caller [^)]*\):)"));
    static const QRegularExpression debugger(QStringLiteral("^Debugger message:"));
    static const QRegularExpression quelle(QStringLiteral(R"((?:\s*@\S*|\s+\S*)\.[A-Za-z]{1,6}:\d+$)"));
    static const QRegularExpression adresse(QStringLiteral("0x[0-9A-Fa-f]{8,}"));
    QString grund = zeile;
    for (const QRegularExpression* teil : {&kern, &debugger, &quelle})
        grund = grund.remove(*teil).trimmed();
    if (grund.size() >= 2 && grund.startsWith(u'"') && grund.endsWith(u'"'))
        grund = grund.mid(1, grund.size() - 2).trimmed();
    return grund.replace(adresse, QStringLiteral("0x…"));
}

// The names after every "Missing sensor(s):", in any case, split at commas and blanks.
QStringList sensorenAus(const QString& text) {
    static const QRegularExpression trenner(QStringLiteral(R"([,\s]+)"));
    const QString merkmal = QStringLiteral("Missing sensor(s):");
    QStringList namen;
    for (qsizetype i = text.indexOf(merkmal, 0, Qt::CaseInsensitive); i >= 0;
         i = text.indexOf(merkmal, i, Qt::CaseInsensitive)) {
        i += merkmal.size();
        const qsizetype ende = text.indexOf(u'\n', i);
        namen += text.mid(i, ende < 0 ? -1 : ende - i).split(trenner, Qt::SkipEmptyParts);
    }
    return namen;
}

} // namespace

Panicbefund panicBefund(const QList<PanicLog>& logs) {
    Panicbefund befund;
    struct Lesbar {
        Paniczeit zeit;
        QString ersteZeile, grund, text;
    };
    QList<Lesbar> lesbare;
    for (const PanicLog& log : logs) {
        if (log.text.empty()) {
            ++befund.leer;
            continue;
        }
        std::optional<Gelesen> gelesen = lesen(log.text);
        const QString text = gelesen ? gelesen->panicText.trimmed() : QString();
        const QString ersteZeile = text.left(text.indexOf(u'\n')).trimmed();
        const QString grund = grundAus(ersteZeile);
        if (grund.isEmpty()) {
            ++befund.unlesbar;
            continue;
        }
        lesbare.append({gelesen->zeit, ersteZeile, grund, text});
    }
    // Newest first; the names, which the phone gives, need not follow the time.
    std::stable_sort(lesbare.begin(), lesbare.end(),
                     [](const Lesbar& a, const Lesbar& b) { return a.zeit.utcMs > b.zeit.utcMs; });
    if (lesbare.isEmpty())
        return befund;

    Panicbefund::Letzte letzte{
        lesbare.first().zeit, lesbare.first().ersteZeile, lesbare.first().grund, 0, {}};
    QSet<QString> gesehen;
    for (const Lesbar& log : std::as_const(lesbare)) {
        if (log.grund == letzte.grund) {
            ++letzte.gleicherGrund;
            letzte.seit = log.zeit.datum;
        }
        for (const QString& name : sensorenAus(log.text)) {
            if (!gesehen.contains(name.toCaseFolded())) {
                gesehen.insert(name.toCaseFolded());
                befund.fehlendeSensoren.append(name);
            }
        }
    }
    befund.letzte = std::move(letzte);
    return befund;
}

} // namespace kabel
