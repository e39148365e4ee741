#pragma once

#include "PanicLog.h"

#include <QStringList>
#include <optional>

namespace kabel {

inline constexpr qsizetype panicLogsHoechstens = 10;
inline constexpr std::size_t panicZeichenHoechstens = 2'000'000;

// From the paths found below the working directory, those whose file name begins with "panic"
// (compared in lower case), ordered by file name from the highest to the lowest (NFC, by Unicode
// scalar values, letter case unchanged; equal names keep their order), the first ten.
QStringList panicKandidatenWaehlen(const QStringList& pfade);

// One report: the whole file as strict UTF-8, cut after its first 2,000,000 grapheme clusters.
// None when the entry is no readable regular file or not valid UTF-8. Symbolic links are not
// followed: the tool recreates the phone's links, and one pointing out of the working directory
// must not send a file of this computer.
std::optional<PanicLog> panicLogLesen(const QString& pfad);

} // namespace kabel
