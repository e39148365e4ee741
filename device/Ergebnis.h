#pragma once

#include "ZugriffFehler.h"

#include <expected>

namespace kabel {

// What a device operation gives: its value, or the failure it reports.
template <typename T> using Ergebnis = std::expected<T, Fehler>;

} // namespace kabel
