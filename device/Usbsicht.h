#pragma once

#include <QList>
#include <optional>

namespace kabel {

// What an iPhone on the USB bus is doing, told by its product id: normal mode (the only one
// usbmuxd lists), recovery mode or DFU mode.
enum class Usbmodus { normal, wiederherstellung, dfu };

// The iPhones on the USB bus as the kernel sees them, without usbmuxd: so the flow can tell a
// phone usbmuxd does not list, or one in recovery, from no phone at all. A seam of its own beside
// Geraetezugriff, handed to the controller through its constructor.
class Usbsicht {
public:
    virtual ~Usbsicht() = default;

    // The mode of each Apple phone on the bus, in no particular order; empty when there is none.
    // None when this computer's bus cannot be seen: on other platforms than Linux, or where the
    // kernel's device list shows no USB device at all (not even a root hub, as in a container).
    // Never fails; takes a few milliseconds; safe from any thread, also from two at once.
    virtual std::optional<QList<Usbmodus>> appleGeraete() const = 0;
};

} // namespace kabel
