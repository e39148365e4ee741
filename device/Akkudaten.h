#pragma once

#include <QtGlobal>
#include <optional>

namespace kabel {

// Battery figures of a device. A field is absent when the device did not report it as a number;
// values are kept as reported, without range checks. "No record" (the reading failed) and
// "a record with every field absent" (the answer held none of the keys) are different results.
struct Akkudaten {
    std::optional<qint64> zyklen;
    std::optional<qint64> designMah;
    std::optional<qint64> istMah;
    std::optional<double> temperaturC;

    friend bool operator==(const Akkudaten&, const Akkudaten&) = default;
};

// Battery health in percent: istMah / designMah * 100, rounded half away from zero, at most 100.
// None when a capacity is missing or designMah is below 1. Never fails, also for absurd values.
std::optional<qint64> zustandProzent(const Akkudaten& akku);

} // namespace kabel
