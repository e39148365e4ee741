#pragma once

#include "device/Geraetezugriff.h"
#include "device/Usbsicht.h"

#include <chrono>
#include <optional>

namespace kabel {

// A line the window shows under a waiting step, when there is something the technician can do.
// `art` names it for the log, which never carries the text (it may quote a tool).
struct Hinweis {
    const char* art = "";
    QString text;
};

// What the device loop has seen since its wait began, and when: the hint it gives the technician
// and the moment of the last change. The loop tells it each pass's outcome with the moment on a
// steady clock; it keeps the clocks and the counts, and looks at nothing itself.
//
// On Linux usbmuxd is started when an Apple device appears on the bus and stopped when the last
// one leaves, so a failing listing says nothing while the bus shows no phone; a phone in recovery
// or DFU mode never starts it.
class Wartelage {
public:
    using Zeit = std::chrono::milliseconds;

    // `usbmuxdImSystem`: usbmuxd belongs to the system (the Mac), so no text names it.
    Wartelage(Zeit beginn, bool usbmuxdImSystem);

    // A listing, with the Apple phones on the USB bus when it listed none (none: the bus cannot be
    // seen). The hint while the loop has no single phone to work with.
    std::optional<Hinweis> gelistet(Zeit jetzt, const Ergebnis<QStringList>& liste,
                                    const std::optional<QList<Usbmodus>>& usb);
    // The one phone's answer to a trust test or a pairing request; the hint while waiting for its trust.
    std::optional<Hinweis> vertrauen(Zeit jetzt, const Ergebnis<Kopplung>& kopplung);

    // The wait began, a phone appeared on the bus or in the listing or left it, or the trust answer
    // changed: the latest of these moments.
    Zeit letzteAenderung() const { return m_aenderung; }

private:
    bool m_usbmuxdImSystem;
    Zeit m_aenderung;
    // Since the first of the latest passes that saw no such thing (the wait's start for none yet):
    std::optional<Zeit> m_ungelistetSeit; // no phone listed
    std::optional<Zeit> m_ohneAppleSeit;  // no Apple device on the bus nor listed
    std::optional<Zeit> m_unerkanntSeit;  // the bus showing a phone in normal mode, none listed
    QStringList m_liste;
    std::optional<QList<Usbmodus>> m_bus;
    std::optional<Ergebnis<Kopplung>> m_vertrauen;
    qint32 m_fehlercode = 0; // of the trust answers since m_fehlercodeSeit, 0 for none
    Zeit m_fehlercodeSeit{0};
};

} // namespace kabel
