#pragma once

#include "Usbsicht.h"

namespace kabel {

// The USB bus through libudev, the system's device database (Linux); no view elsewhere.
class Udevsicht final : public Usbsicht {
public:
    std::optional<QList<Usbmodus>> appleGeraete() const override;
};

} // namespace kabel
