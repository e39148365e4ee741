// The link gate against its table, daten/links.txt: every row a whole link as the desktop
// delivers it, guarding a fault of its own.
#include "Testumgebung.h"
#include "flow/Linkpruefung.h"

#include <QUrlQuery>

using namespace kabel;

class TestLinkpruefung : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void link_data() { test::tabelle(QFINDTESTDATA("daten/links.txt"), {"angenommen", "link"}); }
    void link() {
        QFETCH(QByteArray, link);
        const std::optional<QUrl> ziel = zielAusLink(QUrl(QString::fromUtf8(link)));
        QTEST(QByteArray(ziel ? "+" : "-"), "angenommen");
        // What is accepted is used as it arrived: port, query, fragment and a "+" stay.
        if (ziel)
            QCOMPARE(*ziel, QUrl(QUrlQuery(QUrl(link)).queryItemValue("ziel", QUrl::FullyDecoded)));
    }
};

KABEL_TEST_MAIN(TestLinkpruefung)
#include "tst_linkpruefung.moc"
