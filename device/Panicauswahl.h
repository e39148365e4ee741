#pragma once

#include <QStringList>

namespace kabel {

inline constexpr qsizetype panicLogsHoechstens = 10;

// Which of the paths found below the working directory are read: those whose file name begins
// with "panic" (compared in lower case), ordered by file name from the highest to the lowest
// (after NFC, by Unicode scalar values, letter case unchanged; equal names keep their order),
// the first ten.
QStringList panicKandidatenWaehlen(const QStringList& pfade);

} // namespace kabel
