#include "Paniktext.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <memory>
#include <unicode/ubrk.h>
#include <unicode/utext.h>

namespace kabel {

namespace {

constexpr std::uint64_t hoheBits = 0x8080808080808080ull;

bool achtAscii(const unsigned char* p) {
    std::uint64_t wort;
    std::memcpy(&wort, p, sizeof wort);
    return (wort & hoheBits) == 0;
}

// Length of the ASCII run starting at `von`.
std::size_t asciiLauf(std::string_view text, std::size_t von) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    std::size_t i = von;
    while (i + 8 <= text.size() && achtAscii(p + i))
        i += 8;
    while (i < text.size() && p[i] < 0x80)
        ++i;
    return i - von;
}

// Runs shorter than this are left to ICU: switching costs more than it saves.
constexpr std::size_t langerLauf = 32;

struct UTextSchliessen {
    void operator()(UText* t) const { utext_close(t); }
};
struct UBrkSchliessen {
    void operator()(UBreakIterator* b) const { ubrk_close(b); }
};

} // namespace

bool istGueltigesUtf8(std::string_view text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
        if (i + 8 <= n && achtAscii(p + i)) {
            i += 8;
            continue;
        }
        const unsigned char b = p[i];
        if (b < 0x80) {
            ++i;
            continue;
        }
        std::size_t folge;
        unsigned char min2 = 0x80, max2 = 0xBF; // allowed range of the second byte
        if (b >= 0xC2 && b <= 0xDF) {
            folge = 1;
        } else if (b >= 0xE0 && b <= 0xEF) {
            folge = 2;
            if (b == 0xE0)
                min2 = 0xA0; // overlong
            else if (b == 0xED)
                max2 = 0x9F; // surrogates
        } else if (b >= 0xF0 && b <= 0xF4) {
            folge = 3;
            if (b == 0xF0)
                min2 = 0x90; // overlong
            else if (b == 0xF4)
                max2 = 0x8F; // above U+10FFFF
        } else {
            return false;
        }
        if (n - i <= folge)
            return false; // truncated
        if (p[i + 1] < min2 || p[i + 1] > max2)
            return false;
        for (std::size_t k = 2; k <= folge; ++k)
            if ((p[i + k] & 0xC0) != 0x80)
                return false;
        i += folge + 1;
    }
    return true;
}

std::size_t graphemePraefix(std::string_view text, std::size_t hoechstens) {
    // Every cluster holds at least one byte.
    if (text.size() <= hoechstens)
        return text.size();
    if (hoechstens == 0)
        return 0;
    // ICU's break iterator works with 32-bit offsets; no report comes near 2 GB.
    text = text.substr(0, std::min<std::size_t>(text.size(), INT32_MAX));

    UErrorCode status = U_ZERO_ERROR;
    const std::unique_ptr<UText, UTextSchliessen> utext(
        utext_openUTF8(nullptr, text.data(), static_cast<int64_t>(text.size()), &status));
    const std::unique_ptr<UBreakIterator, UBrkSchliessen> iterator(
        ubrk_open(UBRK_CHARACTER, "", nullptr, 0, &status));
    if (U_SUCCESS(status))
        ubrk_setUText(iterator.get(), utext.get(), &status);
    if (U_FAILURE(status))
        return text.size(); // cannot happen short of running out of memory; keep the text

    // `pos` is always a cluster boundary with `gezaehlt` clusters before it.
    std::size_t pos = 0;
    std::size_t gezaehlt = 0;
    while (pos < text.size()) {
        const std::size_t lauf = asciiLauf(text, pos);
        if (lauf >= langerLauf) {
            // Between two ASCII characters there is a boundary, except inside CR LF. Only the
            // run's last cluster may reach further (a combining mark after a letter), so it is
            // left to ICU.
            const std::size_t ende = pos + lauf;
            for (;;) {
                const std::size_t laenge =
                    (text[pos] == '\r' && pos + 1 < ende && text[pos + 1] == '\n') ? 2 : 1;
                if (pos + laenge >= ende)
                    break;
                pos += laenge;
                if (++gezaehlt == hoechstens)
                    return pos;
            }
        }
        const int32_t naechste = ubrk_following(iterator.get(), static_cast<int32_t>(pos));
        if (naechste == UBRK_DONE)
            break;
        pos = static_cast<std::size_t>(naechste);
        if (++gezaehlt == hoechstens)
            return pos;
    }
    return text.size();
}

} // namespace kabel
