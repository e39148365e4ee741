#pragma once

namespace kabel {

// What a trust test found: the phone trusts this computer, or not yet (its dialog pending), or
// it refuses because it is locked with a passcode, or its user tapped "Don't Trust".
enum class Kopplung { gekoppelt, ausstehend, gesperrt, abgelehnt };

} // namespace kabel
