#pragma once

#include <QString>
#include <string>

namespace kabel {

// One kernel panic report of a device. The text is kept as UTF-8 (validated when it was read and
// cut to at most 2,000,000 grapheme clusters): it is only ever sent, never shown, and the report
// is written in UTF-8, so keeping it in that form saves a conversion of up to 20 MB per check.
struct PanicLog {
    QString datei;    // last path component of the report, letter case unchanged
    std::string text; // valid UTF-8
};

} // namespace kabel
