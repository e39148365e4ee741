#include "Ausgabetext.h"

#include <limits>
#include <unicode/ustring.h>

namespace kabel {

QString ausgabeText(QByteArrayView ausgabe) {
    // ICU replaces each malformed sequence (its maximal subpart) by one U+FFFD. QString::fromUtf8
    // puts one per byte, so a truncated "\xE2\x82" would become two, and drops a leading U+FEFF.
    if (ausgabe.isEmpty() || ausgabe.size() > std::numeric_limits<int32_t>::max())
        return QString::fromUtf8(ausgabe).trimmed();
    QString text(ausgabe.size(), Qt::Uninitialized);
    int32_t laenge = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8WithSub(reinterpret_cast<UChar*>(text.data()), static_cast<int32_t>(text.size()), &laenge,
                         ausgabe.data(), static_cast<int32_t>(ausgabe.size()), 0xFFFD, nullptr, &status);
    if (U_FAILURE(status))
        return QString::fromUtf8(ausgabe).trimmed();
    text.resize(laenge);
    return text.trimmed();
}

} // namespace kabel
