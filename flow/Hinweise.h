#pragma once

#include "device/Geraetezugriff.h"

#include <chrono>
#include <optional>

namespace kabel {

// The line the window shows under a waiting step, when there is something the technician can do.

// While waiting for a phone, from the latest listing and how long it has failed to reach
// usbmuxd. On Linux usbmuxd is started when a phone is plugged in, so a failing listing is
// normal at first and only worth a word after a while.
std::optional<QString> hinweisOhneGeraet(const Ergebnis<QStringList>& liste,
                                         std::chrono::milliseconds dienstStummSeit);

// While waiting for the phone's trust, from the latest trust test.
std::optional<QString> hinweisOhneVertrauen(Kopplung kopplung);

} // namespace kabel
