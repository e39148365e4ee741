// The link gate against arbitrary bytes, once as the decoded target inside a well-formed link and
// once as a whole link. Every accepted target is judged again from its encoded text, split by
// hand: a target whose text says something other than the gate's reading of the QUrl is a fault
// too, because the gate is only safe if both agree.
#include "flow/Konfiguration.h"
#include "flow/Linkpruefung.h"

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>

namespace {

[[noreturn]] void verstoss(const char* regel, const QUrl& ziel) {
    std::fprintf(stderr, "\nfuzz_link: accepted target breaks \"%s\": %s\n", regel,
                 ziel.toString(QUrl::FullyEncoded).toUtf8().constData());
    std::abort();
}

bool hostErlaubt(const QByteArray& scheme, const QByteArray& host) {
    const QByteArray domain(kabel::konfiguration::werkoraDomain);
    if (scheme == "https")
        return host == domain || host.endsWith(QByteArray('.' + domain));
    return scheme == "http" && (host == "localhost" || host == "127.0.0.1");
}

void pruefeZiel(const QUrl& ziel) {
    if (!ziel.isValid())
        verstoss("valid", ziel);
    if (!ziel.userName().isEmpty() || !ziel.password().isEmpty())
        verstoss("no user information", ziel);
    // What the request is sent to.
    if (!hostErlaubt(ziel.scheme().toLatin1(), ziel.host(QUrl::FullyEncoded).toLower().toUtf8()))
        verstoss("allowed scheme and host (QUrl)", ziel);

    // The same rules on the text: scheme "://" authority path [?query] [#fragment].
    const QByteArray text = ziel.toString(QUrl::FullyEncoded).toUtf8();
    if (!QUrl(QString::fromUtf8(text), QUrl::StrictMode).isValid())
        verstoss("encoded text parses again", ziel);
    const qsizetype trenner = text.indexOf("://");
    if (trenner < 0)
        verstoss("has an authority", ziel);
    const QByteArray scheme = text.left(trenner);
    const qsizetype autAnfang = trenner + 3;
    qsizetype autEnde = autAnfang;
    while (autEnde < text.size() && text[autEnde] != '/' && text[autEnde] != '?' && text[autEnde] != '#')
        ++autEnde;
    const QByteArray authority = text.mid(autAnfang, autEnde - autAnfang);
    if (authority.contains('@') || authority.contains('['))
        verstoss("no '@' or '[' in the authority", ziel);
    qsizetype doppelpunkt = authority.indexOf(':');
    if (doppelpunkt < 0)
        doppelpunkt = authority.size();
    const QByteArray host = authority.left(doppelpunkt).toLower();
    for (const char c : authority.mid(doppelpunkt + 1))
        if (c < '0' || c > '9')
            verstoss("port is digits", ziel);
    if (!hostErlaubt(scheme, host))
        verstoss("allowed scheme and host (text)", ziel);

    qsizetype pfadEnde = autEnde;
    while (pfadEnde < text.size() && text[pfadEnde] != '?' && text[pfadEnde] != '#')
        ++pfadEnde;
    const QByteArray pfad = QByteArray::fromPercentEncoding(text.mid(autEnde, pfadEnde - autEnde));
    if (!pfad.startsWith("/api/public/kabel/"))
        verstoss("path prefix", ziel);
    QList<QByteArray> stuecke = pfad.split('/');
    stuecke.removeAll(QByteArray());
    if (stuecke.size() != 4)
        verstoss("four path pieces", ziel);
    if (stuecke.last() == "." || stuecke.last() == "..")
        verstoss("token is no dot segment", ziel);
}

void pruefeLink(const QUrl& link) {
    std::optional<QUrl> ziel;
    try {
        ziel = kabel::zielAusLink(link);
    } catch (const std::exception& fehler) {
        std::fprintf(stderr, "\nfuzz_link: zielAusLink threw: %s\n", fehler.what());
        std::abort();
    } catch (...) {
        std::fprintf(stderr, "\nfuzz_link: zielAusLink threw\n");
        std::abort();
    }
    if (ziel)
        pruefeZiel(*ziel);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* daten, std::size_t groesse) {
    const QString eingabe = QString::fromUtf8(reinterpret_cast<const char*>(daten), qsizetype(groesse));
    const QByteArray eingebettet = "sondit-kabel://lesen?ziel=" + QUrl::toPercentEncoding(eingabe);
    pruefeLink(QUrl(QString::fromLatin1(eingebettet)));
    pruefeLink(QUrl(eingabe));
    return 0;
}
