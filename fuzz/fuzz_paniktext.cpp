// The panic text against arbitrary bytes: the first byte picks the limit, the rest is the file.
// Validity is judged by ICU's converter and the clusters by ICU's C++ iterator over UTF-16, neither
// of which the product uses, so a fault in its UTF-8 handling cannot hide in both.
#include "device/Panicdatei.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <unicode/brkiter.h>
#include <unicode/unistr.h>
#include <unicode/ustring.h>

namespace {

[[noreturn]] void verstoss(const char* regel) {
    std::fprintf(stderr, "\nfuzz_paniktext: %s\n", regel);
    std::abort();
}

// UTF-16 of strictly valid UTF-8 (a leading BOM kept as a character), none otherwise: without a
// substitute, ICU fails on the first malformed, overlong, surrogate or truncated sequence.
std::optional<icu::UnicodeString> utf16(QByteArrayView bytes) {
    icu::UnicodeString text;
    const auto platz = int32_t(bytes.size()); // UTF-16 never needs more units than UTF-8 bytes
    int32_t laenge = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8WithSub(text.getBuffer(platz), platz, &laenge, bytes.data(), platz, U_SENTINEL, nullptr,
                         &status);
    text.releaseBuffer(U_SUCCESS(status) ? laenge : 0);
    if (U_FAILURE(status))
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
    const std::optional<icu::UnicodeString> ganz = utf16(eingabe);
    if (ergebnis.has_value() != ganz.has_value())
        verstoss(ganz ? "valid UTF-8 refused" : "invalid UTF-8 accepted");
    if (!ergebnis)
        return 0;

    const QByteArrayView schnitt(*ergebnis);
    if (!eingabe.startsWith(schnitt))
        verstoss("the cut is no prefix of the input");
    const std::optional<icu::UnicodeString> vorne = utf16(schnitt);
    if (!vorne)
        verstoss("the cut splits a character");

    icu::BreakIterator& grenzen = zeichengrenzen();
    grenzen.setText(*ganz);
    const int32_t ende = vorne->length();
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
