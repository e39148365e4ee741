// The link gate: each row a whole link as the desktop delivers it, guarding its own fault.
#include "Testumgebung.h"
#include "flow/Linkpruefung.h"

using namespace kabel;

namespace {

const QString gut = "https://werkora.de/api/public/kabel/abc123";
const QString gutKodiert = QUrl::toPercentEncoding(gut);

// A link carrying `ziel`, percent-encoded once as Werkora does.
QString mit(const QString& ziel) {
    return "sondit-kabel://lesen?ziel=" + QUrl::toPercentEncoding(ziel);
}

} // namespace

class TestLinkpruefung : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void link_data() {
        QTest::addColumn<QString>("link");
        QTest::addColumn<bool>("angenommen");
        QTest::newRow("the usual link") << mit(gut) << true;
        QTest::newRow("other scheme") << "sonditkabel://lesen?ziel=" + gutKodiert << false;
        QTest::newRow("other host") << "sondit-kabel://lesenx?ziel=" + gutKodiert << false;
        QTest::newRow("host with trailing dot") << "sondit-kabel://lesen.?ziel=" + gutKodiert << false;
        QTest::newRow("path, port and fragment ignored")
            << "sondit-kabel://lesen:77/x?ziel=" + gutKodiert + "#f" << true;
        QTest::newRow("no query") << "sondit-kabel://lesen" << false;
        QTest::newRow("no ziel item") << "sondit-kabel://lesen?ziele=" + gutKodiert << false;
        QTest::newRow("ziel after other items") << "sondit-kabel://lesen?a=1&ziel=" + gutKodiert << true;
        QTest::newRow("first ziel without value wins")
            << "sondit-kabel://lesen?ziel&ziel=" + gutKodiert << false;
        QTest::newRow("a bad second ziel is ignored") << mit(gut) + "&ziel=https%3A%2F%2Fevil.com%2F" << true;
        QTest::newRow("target encoded twice")
            << QString("sondit-kabel://lesen?ziel=" + QUrl::toPercentEncoding(gutKodiert)) << false;
        QTest::newRow("name below the domain")
            << mit("https://filiale.werkora.de/api/public/kabel/t") << true;
        QTest::newRow("bare domain in capitals") << mit("https://WERKORA.DE/api/public/kabel/t") << true;
        QTest::newRow("look-alike without dot") << mit("https://evilwerkora.de/api/public/kabel/t") << false;
        QTest::newRow("domain as a prefix") << mit("https://werkora.de.evil.com/api/public/kabel/t") << false;
        QTest::newRow("domain with trailing dot") << mit("https://werkora.de./api/public/kabel/t") << false;
        QTest::newRow("ideographic full stop as suffix")
            << mit("https://werkora.de\u3002evil.com/api/public/kabel/t") << false;
        QTest::newRow("non-ASCII look-alike") << mit("https://w\u00e9rkora.de/api/public/kabel/t") << false;
        QTest::newRow("http to the domain") << mit("http://werkora.de/api/public/kabel/t") << false;
        QTest::newRow("https to localhost") << mit("https://localhost/api/public/kabel/t") << false;
        QTest::newRow("http to localhost with port")
            << mit("http://localhost:8080/api/public/kabel/t") << true;
        QTest::newRow("http to 127.0.0.1") << mit("http://127.0.0.1:1/api/public/kabel/t") << true;
        QTest::newRow("other loopback address") << mit("http://127.0.0.2/api/public/kabel/t") << false;
        QTest::newRow("IPv6 loopback literal") << mit("http://[::1]/api/public/kabel/t") << false;
        QTest::newRow("ftp") << mit("ftp://werkora.de/api/public/kabel/t") << false;
        QTest::newRow("no host") << mit("https:///api/public/kabel/t") << false;
        QTest::newRow("user") << mit("https://admin@werkora.de/api/public/kabel/t") << false;
        QTest::newRow("empty user") << mit("https://@werkora.de/api/public/kabel/t") << false;
        QTest::newRow("domain as user of another host")
            << mit("https://werkora.de@evil.com/api/public/kabel/t") << false;
        QTest::newRow("backslash before @")
            << mit("https://evil.com\\@werkora.de/api/public/kabel/t") << false;
        QTest::newRow("prefix without token") << mit("https://werkora.de/api/public/kabel/") << false;
        QTest::newRow("one segment too many") << mit("https://werkora.de/api/public/kabel/t/x") << false;
        QTest::newRow("empty pieces dropped") << mit("https://werkora.de/api/public/kabel//t/") << true;
        QTest::newRow("prefix in capitals") << mit("https://werkora.de/API/public/kabel/t") << false;
        QTest::newRow("encoded slash in the token")
            << mit("https://werkora.de/api/public/kabel/a%2Fb") << false;
        QTest::newRow("encoded dot-dot token") << mit("https://werkora.de/api/public/kabel/%2e%2e") << false;
        QTest::newRow("dot token") << mit("https://werkora.de/api/public/kabel/.") << false;
        QTest::newRow("space in the token, not repaired")
            << mit("https://werkora.de/api/public/kabel/a b") << false;
        QTest::newRow("newline after the host") << mit("https://werkora.de\n/api/public/kabel/t") << false;
    }
    void link() {
        QFETCH(QString, link);
        QTEST(zielAusLink(QUrl(link)).has_value(), "angenommen");
    }

    // The target is used exactly as it arrived: query, fragment and port stay, "+" stays.
    void zielUnveraendert() {
        const QString ziel = "https://werkora.de:8443/api/public/kabel/a+b?x=%2F1#y";
        QCOMPARE(zielAusLink(QUrl(mit(ziel)))->toString(QUrl::FullyEncoded), ziel);
        QUrl mitBenutzer(gut);
        mitBenutzer.setUserName("x");
        QVERIFY(!zielErlaubt(mitBenutzer));
        QVERIFY(
            !zielErlaubt(QUrl("https://werkora.de:99999/api/public/kabel/t"))); // invalid, still has a host
    }
};

KABEL_TEST_MAIN(TestLinkpruefung)
#include "tst_linkpruefung.moc"
