#pragma once

#include <QtGlobal>
#include <chrono>
#include <functional>

namespace kabel {

// How far a copy of the phone's crash reports has got: the regular files that have arrived in its
// directory so far, their bytes, and how long the copy has run.
struct Kopierstand {
    qsizetype dateien = 0;
    qint64 bytes = 0;
    std::chrono::milliseconds dauer{0};
    friend bool operator==(const Kopierstand&, const Kopierstand&) = default;
};

// Told about once a second, on the thread that runs the copy.
using Kopiermeldung = std::function<void(const Kopierstand&)>;

} // namespace kabel
