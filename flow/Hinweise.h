#pragma once

#include "device/Geraetezugriff.h"
#include "device/Usbsicht.h"

#include <chrono>
#include <optional>

namespace kabel {

// The line the window shows under a waiting step, when there is something the technician can do.
// Pure functions of what the device loop saw; the loop keeps the clocks and counts.

// While the loop has no single phone to work with: from the latest listing (empty, failed, or
// several phones), how long it has listed no phone (empty or failed), and the Apple phones on the
// USB bus (none: the bus cannot be seen, so nothing is said about it). On Linux usbmuxd is started
// when a phone in normal mode is plugged in, so a failing listing is normal at first and only
// worth a word after a while; a phone in recovery or DFU mode never starts it.
std::optional<QString> hinweisOhneGeraet(const Ergebnis<QStringList>& liste,
                                         std::chrono::milliseconds ohneGeraetSeit,
                                         const std::optional<QList<Usbmodus>>& usb);

// While waiting for the one phone's trust: from the latest trust test, and on how many passes in a
// row (this one included) the test has shown the same lockdown error code.
std::optional<QString> hinweisOhneVertrauen(const Ergebnis<Kopplung>& kopplung, int gleicherFehlerInFolge);

} // namespace kabel
