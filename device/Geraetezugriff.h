#pragma once

#include "Abbruch.h"
#include "Akkudaten.h"
#include "Ergebnis.h"
#include "Geraetedaten.h"
#include "Kopierstand.h"
#include "Kopplung.h"
#include "PanicLog.h"

#include <QList>
#include <QStringList>
#include <optional>

namespace kabel {

// Access to an iPhone on the USB cable. The check flow reaches the device only through this
// interface, so tests can hand the controller a fake that records its calls.
//
// Every operation is synchronous and ends its tools with `abbruch`; a tool without a sign of life
// for 30 seconds is ended, and a reading stops at its first such tool. Call them off the UI
// thread. Implementations keep no state between calls and are safe from any thread, also from two.
//
// The three readings fail rather than hand back less than the phone has: with
// "Die Verbindung zum iPhone wurde getrennt. …" (`lesen`) when a tool says the phone is gone, and
// with "Das iPhone antwortet nicht. …" (`lesen`) when a tool had to be killed or lockdown refused.
class Geraetezugriff {
public:
    virtual ~Geraetezugriff() = default;

    // UDIDs of the attached devices, in the order the listing tool prints them; may be empty.
    // Fails when the listing tool is missing or cannot be started, and with `usbDienstFehlt` or
    // `usbDienstAntwortetNicht` when the listing cannot reach usbmuxd.
    virtual Ergebnis<QStringList> geraete(const Abbruch& abbruch) const = 0;

    // Whether the device trusts this computer, and if not, why: the phone's refusal or lockdown's
    // error code. With no pair record on this computer the test itself brings up the trust dialog.
    // Fails only with the runner's failure: the tool missing, not startable, or killed.
    virtual Ergebnis<Kopplung> istGekoppelt(const QString& udid, const Abbruch& abbruch) const = 0;

    // Asks the phone to trust this computer (the phone shows its trust dialog); its answer in the
    // same terms as the trust test (`gekoppelt` once the user has confirmed). Fails only with the
    // runner's failure.
    virtual Ergebnis<Kopplung> koppeln(const QString& udid, const Abbruch& abbruch) const = 0;

    // Removes the pairing; true when the tool says it did. Never fails otherwise.
    virtual bool entkoppeln(const QString& udid, const Abbruch& abbruch) const = 0;

    // The identity of the device; a value the phone withholds (no output, status 0) is absent.
    // Fails with `lesen` when the model cannot be read, and at the first key whose tool fails
    // otherwise (the phone gone, a lockdown error, killed); no further key is read then.
    virtual Ergebnis<Geraetedaten> geraetedatenLesen(const QString& udid, const Abbruch& abbruch) const = 0;

    // The battery figures, or none when the phone has none to give (an older model, or not yet
    // unlocked since it started). Fails with `lesen` when the phone is gone, lockdown refused, or killed.
    virtual Ergebnis<std::optional<Akkudaten>> akkudatenLesen(const QString& udid,
                                                              const Abbruch& abbruch) const = 0;

    // Up to ten panic logs, highest file name first; an unreadable report gives fewer entries.
    // `melden` hears about once a second how far the copy has got. Fails unless the copy is
    // complete (a phone gone half-way is not one without panic logs): `werkzeugFehlt`, or `lesen`
    // when no working directory can be made, or the copy failed, skipped a panic file or the
    // phone left while it skipped others.
    virtual Ergebnis<QList<PanicLog>> panicLogsLesen(const QString& udid, const Abbruch& abbruch,
                                                     const Kopiermeldung& melden = {}) const = 0;
};

} // namespace kabel
