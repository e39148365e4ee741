#include "Linkpruefung.h"

#include "flow/Konfiguration.h"

#include <QUrlQuery>
#include <algorithm>

namespace kabel {

std::optional<QUrl> zielAusLink(const QUrl& link) {
    // host() and query() still answer for an invalid URL; nothing of an invalid link is used.
    if (!link.isValid() || link.scheme() != u"sondit-kabel" || link.host() != u"lesen" || !link.hasQuery())
        return std::nullopt;

    // Split first, then decode each item exactly once: the default (pretty) decoding would leave
    // "%3A" and "%2F" encoded, and a second decoding would turn an encoded "%2F" in the token into
    // a path separator. A "+" stays a plus sign.
    const auto items = QUrlQuery(link).queryItems(QUrl::FullyDecoded);
    const auto erstes =
        std::find_if(items.begin(), items.end(), [](const auto& item) { return item.first == u"ziel"; });
    // "ziel" without "=" and "ziel=" both come back with an empty value; both are refused.
    if (erstes == items.end() || erstes->second.isEmpty())
        return std::nullopt;

    // Strict parsing: a target with spaces, backslashes or other characters that a tolerant
    // parser would quietly repair is not one that Werkora issued.
    QUrl ziel(erstes->second, QUrl::StrictMode);
    if (!zielErlaubt(ziel))
        return std::nullopt;
    return ziel;
}

bool zielErlaubt(const QUrl& ziel) {
    if (!ziel.isValid())
        return false;

    // The ACE form, so that a look-alike in another script never matches the domain.
    const QString host = ziel.host(QUrl::FullyEncoded).toLower();
    if (host.isEmpty())
        return false;

    // QUrl reports "https://@host" as having no user at all, so look at the authority itself.
    // "[" marks an IP literal, which no allowed target is.
    const QString authority = ziel.authority(QUrl::FullyEncoded);
    if (!ziel.userName().isEmpty() || !ziel.password().isEmpty() || authority.contains(u'@') ||
        authority.contains(u'['))
        return false;

    const QString pfad = ziel.path(QUrl::FullyDecoded);
    if (!pfad.startsWith(u"/api/public/kabel/"))
        return false;
    const QStringList stuecke = pfad.split(u'/', Qt::SkipEmptyParts);
    if (stuecke.size() != 4)
        return false;
    // The network stack resolves dot segments before sending, so ".." would reach another path.
    if (stuecke.last() == u"." || stuecke.last() == u"..")
        return false;

    const QString scheme = ziel.scheme();
    if (scheme == u"https") {
        const QString domain = QString::fromUtf8(konfiguration::werkoraDomain);
        return host == domain || host.endsWith(u'.' + domain);
    }
    if (scheme == u"http")
        return host == u"localhost" || host == u"127.0.0.1";
    return false;
}

} // namespace kabel
