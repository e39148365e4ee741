#pragma once

#include "Akkudaten.h"
#include "Geraetedaten.h"
#include "Kopplung.h"
#include "PanicLog.h"
#include "ZugriffFehler.h"

#include <QList>
#include <QStringList>
#include <optional>

namespace kabel {

// Access to an iPhone on the USB cable. The check flow reaches the device only through this
// interface, so tests can hand the controller a fake that records its calls.
//
// Every operation is synchronous: it returns only when the work on the device has ended; a tool
// that stays silent is ended after 30 seconds, so a silent phone can hold a call for a few
// minutes. Call them off the UI thread. Implementations keep no state between calls and must be
// safe to call from any thread, also from two threads at once.
class Geraetezugriff {
public:
    virtual ~Geraetezugriff() = default;

    // UDIDs of the attached devices, in the order the listing tool prints them; may be empty.
    // Fails when the listing tool is missing or cannot be started, and with `usbDienstFehlt` or
    // `usbDienstAntwortetNicht` when the listing cannot reach usbmuxd.
    virtual Ergebnis<QStringList> geraete() const = 0;

    // Whether the device trusts this computer, and if not, why: the phone's refusal or lockdown's
    // error code. With no pair record on this computer the test itself brings up the trust dialog.
    // Fails only with the runner's failure: the tool missing, not startable, or killed.
    virtual Ergebnis<Kopplung> istGekoppelt(const QString& udid) const = 0;

    // Asks the phone to trust this computer (the phone shows its trust dialog); its answer in the
    // same terms as the trust test (`gekoppelt` once the user has confirmed). Fails only with the
    // runner's failure.
    virtual Ergebnis<Kopplung> koppeln(const QString& udid) const = 0;

    // Removes the pairing; true when the tool says it did. Never fails otherwise.
    virtual bool entkoppeln(const QString& udid) const = 0;

    // The identity of the device. Fails with `lesen` when the model cannot be read.
    virtual Ergebnis<Geraetedaten> geraetedatenLesen(const QString& udid) const = 0;

    // The battery figures, or none when they cannot be read. Never fails.
    virtual std::optional<Akkudaten> akkudatenLesen(const QString& udid) const = 0;

    // Up to ten panic logs, highest file name first; a tool that ends with an error or an
    // unreadable report gives fewer entries. Fails with `lesen` when the copy had to be killed:
    // a phone that stops answering half-way is not one without panic logs.
    virtual Ergebnis<QList<PanicLog>> panicLogsLesen(const QString& udid) const = 0;
};

} // namespace kabel
