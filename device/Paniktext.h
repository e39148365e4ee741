#pragma once

#include <cstddef>
#include <string_view>

namespace kabel {

// Strict UTF-8 check: rejects every malformed, overlong, surrogate, out-of-range or truncated
// sequence (Qt's default decoder lets a truncated final sequence pass).
bool istGueltigesUtf8(std::string_view text);

// Byte length of the first `hoechstens` user-perceived characters (extended grapheme clusters,
// CR LF counting as one) of valid UTF-8 `text`; the whole length when it has no more than that.
// ICU does the segmentation; long ASCII runs are counted directly.
std::size_t graphemePraefix(std::string_view text, std::size_t hoechstens);

} // namespace kabel
