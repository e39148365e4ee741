#include "flow/Linkpruefung.h"

#include <QTest>

using namespace kabel;

// Every row is a whole link as the platform delivers it, and whether it yields a target.
class TestLinkpruefung : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void link_data();
    void link();
    void zielUnveraendert();
    void zielErlaubtOhneLink_data();
    void zielErlaubtOhneLink();
};

namespace {

// A link carrying `ziel` in its query, percent-encoded once as Werkora does.
QString linkMit(const QString& ziel) {
    return u"sondit-kabel://lesen?ziel=" + QString::fromLatin1(QUrl::toPercentEncoding(ziel));
}

const QString gut = QStringLiteral("https://werkora.de/api/public/kabel/abc123");
const QString gutKodiert = QString::fromLatin1(QUrl::toPercentEncoding(gut));

} // namespace

void TestLinkpruefung::link_data() {
    QTest::addColumn<QString>("link");
    QTest::addColumn<bool>("angenommen");

    // The link itself.
    QTest::newRow("the usual link") << linkMit(gut) << true;
    QTest::newRow("subdomain of the service")
        << linkMit(QStringLiteral("https://filiale.werkora.de/api/public/kabel/t")) << true;
    QTest::newRow("other scheme") << QString(u"sonditkabel://lesen?ziel=" + gutKodiert) << false;
    QTest::newRow("scheme in capitals is reported lower-case by the parser")
        << QString(u"SONDIT-KABEL://lesen?ziel=" + gutKodiert) << true;
    QTest::newRow("other host") << QString(u"sondit-kabel://lesenx?ziel=" + gutKodiert) << false;
    QTest::newRow("host with trailing dot") << QString(u"sondit-kabel://lesen.?ziel=" + gutKodiert) << false;
    QTest::newRow("no host") << QString(u"sondit-kabel:lesen?ziel=" + gutKodiert) << false;
    QTest::newRow("extra path, port and fragment are ignored")
        << QString(u"sondit-kabel://lesen:77/mehr?ziel=" + gutKodiert + u"#frag") << true;
    QTest::newRow("no query") << QStringLiteral("sondit-kabel://lesen") << false;
    QTest::newRow("empty query") << QStringLiteral("sondit-kabel://lesen?") << false;
    QTest::newRow("no ziel item") << QString(u"sondit-kabel://lesen?ziele=" + gutKodiert) << false;
    QTest::newRow("ziel in capitals") << QString(u"sondit-kabel://lesen?Ziel=" + gutKodiert) << false;
    QTest::newRow("ziel after other items")
        << QString(u"sondit-kabel://lesen?a=1&ziel=" + gutKodiert) << true;
    QTest::newRow("first ziel without '=' wins over a good second")
        << QString(u"sondit-kabel://lesen?ziel&ziel=" + gutKodiert) << false;
    QTest::newRow("first ziel empty wins over a good second")
        << QString(u"sondit-kabel://lesen?ziel=&ziel=" + gutKodiert) << false;
    QTest::newRow("a bad second ziel is ignored")
        << QString(u"sondit-kabel://lesen?ziel=" + gutKodiert + u"&ziel=https%3A%2F%2Fevil.com%2F") << true;
    QTest::newRow("target not encoded at all") << QString(u"sondit-kabel://lesen?ziel=" + gut) << true;
    QTest::newRow("target encoded twice is not decoded twice")
        << QString(u"sondit-kabel://lesen?ziel=" + QString::fromLatin1(QUrl::toPercentEncoding(gutKodiert)))
        << false;

    // Hosts.
    QTest::newRow("bare domain in capitals")
        << linkMit(QStringLiteral("https://WERKORA.DE/api/public/kabel/t")) << true;
    QTest::newRow("look-alike without dot")
        << linkMit(QStringLiteral("https://evilwerkora.de/api/public/kabel/t")) << false;
    QTest::newRow("domain as a prefix of another")
        << linkMit(QStringLiteral("https://werkora.de.evil.com/api/public/kabel/t")) << false;
    QTest::newRow("domain with trailing dot")
        << linkMit(QStringLiteral("https://werkora.de./api/public/kabel/t")) << false;
    QTest::newRow("ideographic full stop maps to the domain itself")
        << linkMit(QStringLiteral("https://werkora\u3002de/api/public/kabel/t")) << true;
    QTest::newRow("ideographic full stop cannot fake a suffix")
        << linkMit(QStringLiteral("https://werkora.de\u3002evil.com/api/public/kabel/t")) << false;
    QTest::newRow("non-ASCII look-alike compares in ACE form")
        << linkMit(QStringLiteral("https://w\u00e9rkora.de/api/public/kabel/t")) << false;
    QTest::newRow("http to the service domain")
        << linkMit(QStringLiteral("http://werkora.de/api/public/kabel/t")) << false;
    QTest::newRow("https to localhost")
        << linkMit(QStringLiteral("https://localhost/api/public/kabel/t")) << false;
    QTest::newRow("http to localhost with port")
        << linkMit(QStringLiteral("http://localhost:8080/api/public/kabel/t")) << true;
    QTest::newRow("http to 127.0.0.1")
        << linkMit(QStringLiteral("http://127.0.0.1:1/api/public/kabel/t")) << true;
    // The parser reports these spellings as 127.0.0.1, and that is where the request goes.
    QTest::newRow("loopback short form")
        << linkMit(QStringLiteral("http://127.1/api/public/kabel/t")) << true;
    QTest::newRow("loopback as one number")
        << linkMit(QStringLiteral("http://2130706433/api/public/kabel/t")) << true;
    QTest::newRow("other loopback address")
        << linkMit(QStringLiteral("http://127.0.0.2/api/public/kabel/t")) << false;
    QTest::newRow("IPv6 loopback literal")
        << linkMit(QStringLiteral("http://[::1]/api/public/kabel/t")) << false;
    QTest::newRow("localhost with trailing dot")
        << linkMit(QStringLiteral("http://localhost./api/public/kabel/t")) << false;
    QTest::newRow("ftp") << linkMit(QStringLiteral("ftp://werkora.de/api/public/kabel/t")) << false;
    QTest::newRow("no scheme") << linkMit(QStringLiteral("//werkora.de/api/public/kabel/t")) << false;
    QTest::newRow("no host") << linkMit(QStringLiteral("https:///api/public/kabel/t")) << false;
    QTest::newRow("port is not examined")
        << linkMit(QStringLiteral("https://werkora.de:8443/api/public/kabel/t")) << true;

    // User information.
    QTest::newRow("user") << linkMit(QStringLiteral("https://admin@werkora.de/api/public/kabel/t")) << false;
    QTest::newRow("user and password")
        << linkMit(QStringLiteral("https://a:b@werkora.de/api/public/kabel/t")) << false;
    QTest::newRow("empty user") << linkMit(QStringLiteral("https://@werkora.de/api/public/kabel/t")) << false;
    QTest::newRow("empty user and password")
        << linkMit(QStringLiteral("https://:@werkora.de/api/public/kabel/t")) << false;
    QTest::newRow("service as user of another host")
        << linkMit(QStringLiteral("https://werkora.de@evil.com/api/public/kabel/t")) << false;
    QTest::newRow("backslash before @")
        << linkMit(QStringLiteral("https://evil.com\\@werkora.de/api/public/kabel/t")) << false;
    QTest::newRow("backslashes as path separators")
        << linkMit(QStringLiteral("https://werkora.de\\api\\public\\kabel\\t")) << false;

    // Paths.
    QTest::newRow("prefix without token")
        << linkMit(QStringLiteral("https://werkora.de/api/public/kabel/")) << false;
    QTest::newRow("one segment too many")
        << linkMit(QStringLiteral("https://werkora.de/api/public/kabel/t/x")) << false;
    QTest::newRow("doubled slash before the token")
        << linkMit(QStringLiteral("https://werkora.de/api/public/kabel//t")) << true;
    QTest::newRow("slash after the token")
        << linkMit(QStringLiteral("https://werkora.de/api/public/kabel/t/")) << true;
    QTest::newRow("encoded slash in the token")
        << linkMit(QStringLiteral("https://werkora.de/api/public/kabel/a%2Fb")) << false;
    QTest::newRow("dot-dot token") << linkMit(QStringLiteral("https://werkora.de/api/public/kabel/.."))
                                   << false;
    QTest::newRow("encoded dot-dot token")
        << linkMit(QStringLiteral("https://werkora.de/api/public/kabel/%2e%2e")) << false;
    QTest::newRow("dot token") << linkMit(QStringLiteral("https://werkora.de/api/public/kabel/.")) << false;
    QTest::newRow("dots inside a token")
        << linkMit(QStringLiteral("https://werkora.de/api/public/kabel/a..b")) << true;
    QTest::newRow("other prefix") << linkMit(QStringLiteral("https://werkora.de/api/private/kabel/t"))
                                  << false;
    QTest::newRow("prefix in capitals")
        << linkMit(QStringLiteral("https://werkora.de/API/public/kabel/t")) << false;
    QTest::newRow("plus in the token stays")
        << linkMit(QStringLiteral("https://werkora.de/api/public/kabel/a+b")) << true;
    QTest::newRow("query and fragment of the target")
        << linkMit(QStringLiteral("https://werkora.de/api/public/kabel/t?x=1#y")) << true;

    // Whitespace anywhere in the target is not repaired.
    QTest::newRow("leading space") << linkMit(QStringLiteral(" https://werkora.de/api/public/kabel/t"))
                                   << false;
    QTest::newRow("trailing space") << linkMit(QStringLiteral("https://werkora.de/api/public/kabel/t "))
                                    << false;
    QTest::newRow("space in the token")
        << linkMit(QStringLiteral("https://werkora.de/api/public/kabel/a b")) << false;
    QTest::newRow("tab in the host") << linkMit(QStringLiteral("https://werkora\t.de/api/public/kabel/t"))
                                     << false;
    QTest::newRow("newline after the host")
        << linkMit(QStringLiteral("https://werkora.de\n/api/public/kabel/t")) << false;
}

void TestLinkpruefung::link() {
    QFETCH(QString, link);
    QFETCH(bool, angenommen);
    const std::optional<QUrl> ziel = zielAusLink(QUrl(link));
    QCOMPARE(ziel.has_value(), angenommen);
    if (ziel)
        QVERIFY(ziel->isValid());
}

// The target is used exactly as it arrived: query, fragment and port stay, "+" is not a blank.
void TestLinkpruefung::zielUnveraendert() {
    const QString ziel = QStringLiteral("https://werkora.de:8443/api/public/kabel/a+b?x=%2F1#y");
    const std::optional<QUrl> ergebnis = zielAusLink(QUrl(linkMit(ziel)));
    QVERIFY(ergebnis);
    QCOMPARE(ergebnis->toString(QUrl::FullyEncoded), ziel);
    QCOMPARE(ergebnis->path(QUrl::FullyDecoded), QStringLiteral("/api/public/kabel/a+b"));
}

void TestLinkpruefung::zielErlaubtOhneLink_data() {
    QTest::addColumn<QUrl>("ziel");
    QTest::addColumn<bool>("erlaubt");
    QTest::newRow("good") << QUrl(gut) << true;
    QTest::newRow("invalid url still answering host()")
        << QUrl(QStringLiteral("https://werkora.de:99999/api/public/kabel/t")) << false;
    QTest::newRow("default-constructed") << QUrl() << false;
    QUrl mitBenutzer(gut);
    mitBenutzer.setUserName(QStringLiteral("x"));
    QTest::newRow("user set through the API") << mitBenutzer << false;
}

void TestLinkpruefung::zielErlaubtOhneLink() {
    QFETCH(QUrl, ziel);
    QFETCH(bool, erlaubt);
    QCOMPARE(zielErlaubt(ziel), erlaubt);
}

QTEST_GUILESS_MAIN(TestLinkpruefung)
#include "tst_linkpruefung.moc"
