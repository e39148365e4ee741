// The panic text against arbitrary bytes: the first byte picks the limit, the rest is the file.
// Validity is judged by Qt's decoder and the clusters by ICU's C++ iterator over UTF-16, neither
// of which the product uses, so a fault in its UTF-8 handling cannot hide in both.
#include "device/Panicdatei.h"

#include <QStringDecoder>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <unicode/brkiter.h>
#include <unicode/unistr.h>

namespace {

[[noreturn]] void verstoss(const char* regel) {
    std::fprintf(stderr, "\nfuzz_paniktext: %s\n", regel);
    std::abort();
}

// UTF-16 of strictly valid UTF-8 (a leading BOM kept as a character), none otherwise.
std::optional<QString> utf16(QByteArrayView bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8,
                           QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

icu::BreakIterator& zeichengrenzen() {
    static const std::unique_ptr<icu::BreakIterator> grenzen = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::BreakIterator> neu(
            icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
        if (U_FAILURE(status))
            verstoss("no ICU character break iterator");
        return neu;
    }();
    return *grenzen;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* daten, std::size_t groesse) {
    if (groesse == 0)
        return 0;
    const std::size_t hoechstens = daten[0] % 65;
    const QByteArrayView eingabe(daten + 1, qsizetype(groesse - 1));

    const std::optional<std::string> ergebnis = kabel::panicText(eingabe, hoechstens);
    const std::optional<QString> ganz = utf16(eingabe);
    if (ergebnis.has_value() != ganz.has_value())
        verstoss(ganz ? "valid UTF-8 refused" : "invalid UTF-8 accepted");
    if (!ergebnis)
        return 0;

    const QByteArrayView schnitt(*ergebnis);
    if (!eingabe.startsWith(schnitt))
        verstoss("the cut is no prefix of the input");
    const std::optional<QString> vorne = utf16(schnitt);
    if (!vorne)
        verstoss("the cut splits a character");

    const icu::UnicodeString text(false, reinterpret_cast<const char16_t*>(ganz->utf16()),
                                  int32_t(ganz->size()));
    icu::BreakIterator& grenzen = zeichengrenzen();
    grenzen.setText(text);
    const auto ende = int32_t(vorne->size());
    if (!grenzen.isBoundary(ende))
        verstoss("the cut splits a grapheme cluster");
    std::size_t cluster = 0, imSchnitt = 0;
    for (int32_t grenze = grenzen.first(); (grenze = grenzen.next()) != icu::BreakIterator::DONE;) {
        ++cluster;
        if (grenze <= ende)
            ++imSchnitt;
    }
    if (imSchnitt != std::min(hoechstens, cluster))
        verstoss("the cut keeps the wrong number of clusters");
    return 0;
}
