#pragma once

#include <QByteArrayView>
#include <QString>

namespace kabel {

// Tool output as text: UTF-8 with one U+FFFD per malformed sequence, white space and line breaks
// trimmed at both ends. Never fails; may be empty.
QString ausgabeText(QByteArrayView ausgabe);

} // namespace kabel
