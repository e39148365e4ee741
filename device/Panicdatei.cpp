#include "Panicdatei.h"

#include <QFile>
#include <QFileInfo>
#include <limits>
#include <memory>
#include <unicode/ubrk.h>
#include <unicode/utext.h>

namespace kabel {

namespace {

// Byte length of the first `hoechstens` grapheme clusters of valid UTF-8.
std::size_t graphemePraefix(QByteArrayView text, std::size_t hoechstens) {
    // Every cluster holds at least one byte, so a short text needs no segmentation.
    if (std::size_t(text.size()) <= hoechstens)
        return std::size_t(text.size());
    UErrorCode status = U_ZERO_ERROR;
    const std::unique_ptr<UText, decltype(&utext_close)> utext(
        utext_openUTF8(nullptr, text.data(), text.size(), &status), &utext_close);
    const std::unique_ptr<UBreakIterator, decltype(&ubrk_close)> grenzen(
        ubrk_open(UBRK_CHARACTER, "", nullptr, 0, &status), &ubrk_close);
    if (U_SUCCESS(status))
        ubrk_setUText(grenzen.get(), utext.get(), &status);
    if (U_FAILURE(status))
        return std::size_t(text.size()); // only when out of memory; keep the text
    int32_t grenze = 0;
    for (std::size_t gezaehlt = 0; gezaehlt < hoechstens; ++gezaehlt) {
        grenze = ubrk_next(grenzen.get());
        if (grenze == UBRK_DONE)
            return std::size_t(text.size());
    }
    return std::size_t(grenze);
}

} // namespace

std::optional<std::string> panicText(QByteArrayView inhalt, std::size_t hoechstens) {
    // Qt's check is strict (no overlong, surrogate or truncated sequence) and skips ASCII fast.
    // ICU's break iterator counts in 32 bits; no panic report comes near 2 GB.
    if (inhalt.size() > std::numeric_limits<int32_t>::max() || !inhalt.isValidUtf8())
        return std::nullopt;
    return std::string(inhalt.data(), graphemePraefix(inhalt, hoechstens));
}

std::optional<PanicLog> panicLogLesen(const QString& pfad) {
    const QFileInfo info(pfad);
    if (info.isSymLink() || !info.isFile() || info.size() > panicDateiHoechstens)
        return std::nullopt;
    QFile datei(pfad);
    if (!datei.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray inhalt = datei.readAll();
    if (datei.error() != QFileDevice::NoError)
        return std::nullopt;
    std::optional<std::string> text = panicText(inhalt);
    if (!text)
        return std::nullopt;
    return PanicLog{info.fileName(), std::move(*text)};
}

} // namespace kabel
