#pragma once

#include "PanicLog.h"

#include <QByteArrayView>
#include <QString>
#include <optional>
#include <string>

namespace kabel {

inline constexpr std::size_t panicZeichenHoechstens = 2'000'000;
// Real panic reports are a few megabytes; a larger file is passed over like an unreadable one.
inline constexpr qint64 panicDateiHoechstens = 64 << 20;

// A report's text: the bytes when they are valid UTF-8 (strictly: no malformed, overlong,
// surrogate or truncated sequence), cut after their first `hoechstens` user-perceived characters
// (extended grapheme clusters; CR LF is one). None when the bytes are not valid UTF-8.
std::optional<std::string> panicText(QByteArrayView inhalt, std::size_t hoechstens = panicZeichenHoechstens);

// One report file, named by its last path component. None when the entry is no readable regular
// file, larger than panicDateiHoechstens, or not valid UTF-8. Symbolic links are not followed: the tool
// recreates the phone's links, and one pointing out of the working directory must not send a file of this
// computer.
std::optional<PanicLog> panicLogLesen(const QString& pfad);

} // namespace kabel
