// Strict UTF-8 validation and the grapheme cut, checked against ICU over UTF-16 as an oracle.
#include "device/Paniktext.h"

#include <QRandomGenerator>
#include <QString>
#include <QTest>
#include <string>
#include <unicode/ubrk.h>

using namespace kabel;

namespace {

// Reference: byte length of the first `n` clusters, segmenting the whole text as UTF-16.
std::size_t orakel(const std::string& utf8, std::size_t n) {
    const QString text = QString::fromStdString(utf8);
    UErrorCode status = U_ZERO_ERROR;
    UBreakIterator* it = ubrk_open(UBRK_CHARACTER, "", reinterpret_cast<const UChar*>(text.utf16()),
                                   static_cast<int32_t>(text.size()), &status);
    int32_t grenze = 0;
    for (std::size_t i = 0; i < n && grenze != UBRK_DONE; ++i) {
        const int32_t naechste = ubrk_next(it);
        if (naechste == UBRK_DONE)
            break;
        grenze = naechste;
    }
    ubrk_close(it);
    return static_cast<std::size_t>(text.left(grenze).toUtf8().size());
}

// Pieces the random texts are made of: the cases where ASCII does not stand alone.
const char* const bausteine[] = {
    "a",
    "Z",
    " ",
    "\r\n",
    "\r",
    "\n",
    "\t",
    "e\xcc\x81",                                                 // e + combining acute
    "\xcc\x81",                                                  // a lone combining mark
    "\xc3\xa4",                                                  // ä
    "\xf0\x9f\x91\xa9\xe2\x80\x8d\xf0\x9f\x92\xbb",              // woman technologist (ZWJ)
    "\xe2\x80\x8d",                                              // lone ZWJ
    "\xf0\x9f\x87\xa9\xf0\x9f\x87\xaa",                          // flag DE
    "\xf0\x9f\x87\xa9",                                          // lone regional indicator
    "\xef\xb8\x8f",                                              // variation selector 16
    "\xe1\x84\x80\xe1\x85\xa1\xe1\x86\xa8",                      // Hangul L V T
    "\xd8\x80",                                                  // Arabic number sign (prepend)
    "\xe0\xa4\x95\xe0\xa5\x8d\xe0\xa4\xb7",                      // Devanagari conjunct
    "log line 0123456789 abcdefghijklmnopqrstuvwxyz ABCDEFGHIJ", // a long ASCII run
};

} // namespace

class TestPaniktext : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void utf8_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("gueltig");

        QTest::newRow("empty") << QByteArray() << true;
        QTest::newRow("ASCII") << QByteArray("panic(cpu 1 caller 0x0)\r\n") << true;
        QTest::newRow("two, three and four bytes")
            << QByteArray("\xc3\xa4\xe2\x80\x9c\xf0\x9f\x98\x80") << true;
        QTest::newRow("highest scalar U+10FFFF") << QByteArray("\xf4\x8f\xbf\xbf") << true;
        QTest::newRow("truncated at the end") << QByteArray("abc\xe2\x82") << false;
        QTest::newRow("truncated four-byte at the end") << QByteArray("\xf0\x9f\x98") << false;
        QTest::newRow("lone continuation byte") << QByteArray("a\x80z") << false;
        QTest::newRow("invalid byte FF") << QByteArray("a\xffz") << false;
        QTest::newRow("overlong slash") << QByteArray("\xc0\xaf") << false;
        QTest::newRow("overlong three-byte") << QByteArray("\xe0\x80\xaf") << false;
        QTest::newRow("surrogate") << QByteArray("\xed\xa0\x80") << false;
        QTest::newRow("above U+10FFFF") << QByteArray("\xf4\x90\x80\x80") << false;
        QTest::newRow("sequence cut by ASCII") << QByteArray("\xe2\x82"
                                                             "abcdefghij")
                                               << false;
        QTest::newRow("error after a long ASCII run") << QByteArray(64, 'x') + "\xc3" << false;
    }
    void utf8() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, gueltig);
        QCOMPARE(istGueltigesUtf8(std::string_view(bytes.constData(), bytes.size())), gueltig);
    }

    // Each row puts a tricky pair right at the cut after a long ASCII run (the fast path's edge).
    void cutAtTheEdge_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("grenze");
        QTest::addColumn<int>("erwartet"); // bytes kept

        const QByteArray lauf(40, 'x');
        QTest::newRow("combining mark joins the last ASCII letter") << lauf + "e\xcc\x81" + lauf << 41 << 43;
        QTest::newRow("CR LF is one") << lauf + "\r\n" + lauf << 41 << 42;
        QTest::newRow("CR LF at the very end of the run") << lauf + "\r\n\xc3\xa4" + lauf << 41 << 42;
        QTest::newRow("lone CR then combining mark") << lauf + "\r\xcc\x81" + lauf << 41 << 41;
        QTest::newRow("emoji ZWJ sequence after ASCII")
            << lauf + "\xf0\x9f\x91\xa9\xe2\x80\x8d\xf0\x9f\x92\xbb" + lauf << 41 << 51;
        QTest::newRow("prepend character glues to the next letter") << "\xd8\x80" + lauf << 1 << 3;
        QTest::newRow("text shorter than the limit in bytes") << QByteArray("e\xcc\x81") << 3 << 3;
        QTest::newRow("fewer clusters than the limit") << QByteArray("e\xcc\x81"
                                                                     "e\xcc\x81")
                                                       << 3 << 6;
        QTest::newRow("limit zero") << lauf << 0 << 0;
    }
    void cutAtTheEdge() {
        QFETCH(QByteArray, text);
        QFETCH(int, grenze);
        QFETCH(int, erwartet);
        const std::string s = text.toStdString();
        QCOMPARE(graphemePraefix(s, grenze), std::size_t(erwartet));
        QCOMPARE(orakel(s, grenze), std::size_t(erwartet));
    }

    // Random texts from the pieces above, cut at random limits, must agree with the oracle.
    void agreesWithIcuOnRandomTexts() {
        QRandomGenerator zufall(4711);
        for (int runde = 0; runde < 400; ++runde) {
            std::string text;
            const int stuecke = 1 + zufall.bounded(120);
            for (int i = 0; i < stuecke; ++i)
                text += bausteine[zufall.bounded(int(std::size(bausteine)))];
            const std::size_t grenze = zufall.bounded(int(text.size()) + 2);
            QCOMPARE(graphemePraefix(text, grenze), orakel(text, grenze));
        }
    }
};

QTEST_GUILESS_MAIN(TestPaniktext)
#include "tst_paniktext.moc"
