// The reading of panic files against arbitrary logs: bytes 0x1e separate up to ten of them. Besides
// not crashing, the body scan that stops at the panic text must find what a full JSON parser
// finds: for a log whose body is a whole JSON object, Qt's parser is the judge.
#include "device/Panicbefund.h"
#include "device/Panicdatei.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void verstoss(const char* regel) {
    std::fprintf(stderr, "\nfuzz_panicbefund: %s\n", regel);
    std::abort();
}

// The first line of the panic text as a full parse of a whole body sees it; none when the body or
// the header is not one JSON object.
std::optional<QString> ersteZeileGanz(const std::string& text) {
    const auto ende = text.find('\n');
    if (ende == std::string::npos)
        return std::nullopt;
    const QJsonDocument kopf = QJsonDocument::fromJson(QByteArray::fromStdString(text.substr(0, ende)));
    const QJsonDocument koerper = QJsonDocument::fromJson(QByteArray::fromStdString(text.substr(ende + 1)));
    if (!kopf.isObject() || !koerper.isObject())
        return std::nullopt;
    const QJsonValue art = kopf.object().value(u"bug_type");
    const bool zuruecksetzen = art.toString() == u"151" || art.toInt() == 151;
    // Of a key given twice (or once hidden in \u escapes) parsers take different ones: no judgement.
    const std::string schluessel = zuruecksetzen ? "\"string\"" : "\"panicString\"";
    if (text.find("\\u", ende) != std::string::npos || text.find(schluessel) != text.rfind(schluessel))
        return std::nullopt;
    const QString panic = koerper.object()
                              .value(zuruecksetzen ? QStringLiteral("string") : QStringLiteral("panicString"))
                              .toString()
                              .trimmed();
    return panic.left(panic.indexOf(u'\n')).trimmed();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* daten, std::size_t groesse) {
    QList<kabel::PanicLog> logs;
    for (const QByteArray& teil :
         QByteArray(reinterpret_cast<const char*>(daten), qsizetype(groesse)).split('\x1e')) {
        if (std::optional<std::string> text = kabel::panicText(teil); text && logs.size() < 10)
            logs.append({QStringLiteral("panic"), std::move(*text)});
    }
    const kabel::Panicbefund befund = kabel::panicBefund(logs);

    const qint64 lesbar = logs.size() - befund.leer - befund.unlesbar;
    if (lesbar < 0 || befund.letzte.has_value() != (lesbar > 0))
        verstoss("logs counted twice or lost");
    if (befund.letzte && (befund.letzte->gleicherGrund < 1 || befund.letzte->gleicherGrund > lesbar ||
                          befund.letzte->grund.isEmpty() || befund.letzte->ersteZeile.contains(u'\n')))
        verstoss("a wrong last panic");
    QSet<QString> namen;
    for (const QString& name : befund.fehlendeSensoren) {
        if (name.isEmpty() || name.contains(u',') || name.contains(u' ') ||
            namen.contains(name.toCaseFolded()))
            verstoss("a sensor name empty, not split or twice");
        namen.insert(name.toCaseFolded());
    }
    if (logs.size() == 1 && befund.letzte) {
        const std::optional<QString> ganz = ersteZeileGanz(logs.first().text);
        if (ganz && *ganz != befund.letzte->ersteZeile)
            verstoss("the scan read another panic text than the parser");
    }
    return 0;
}
