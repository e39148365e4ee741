#pragma once

#include "Geraetezugriff.h"
#include "Werkzeuglaeufer.h"

#include <QStringList>
#include <memory>

namespace kabel {

// Device access through the libimobiledevice command-line tools. Keeps no state between calls
// beyond its runner: copyable, and usable from any thread.
class Libimobiledevice final : public Geraetezugriff {
public:
    // Child processes of the tools found in werkzeugVerzeichnisse().
    Libimobiledevice();
    // Child processes of the tools found in exactly these directories, in this order.
    explicit Libimobiledevice(QStringList werkzeugVerzeichnisse);
    // Every tool run goes through `laeufer`.
    explicit Libimobiledevice(std::shared_ptr<const Werkzeuglaeufer> laeufer);

    // The places searched by default: the app's own resource bin/ when it exists (../share/sondit-kabel/bin
    // beside the executable, the bundle's Contents/Resources/bin on the Mac), the two usual
    // installation directories, then the search path (where a Linux distribution puts the tools).
    static QStringList werkzeugVerzeichnisse();

    Ergebnis<QStringList> geraete(const Abbruch& abbruch) const override;
    Ergebnis<Kopplung> istGekoppelt(const QString& udid, const Abbruch& abbruch) const override;
    Ergebnis<Kopplung> koppeln(const QString& udid, const Abbruch& abbruch) const override;
    bool entkoppeln(const QString& udid, const Abbruch& abbruch) const override;
    Ergebnis<Geraetedaten> geraetedatenLesen(const QString& udid, const Abbruch& abbruch) const override;
    Ergebnis<std::optional<Akkudaten>> akkudatenLesen(const QString& udid,
                                                      const Abbruch& abbruch) const override;
    Ergebnis<QList<PanicLog>> panicLogsLesen(const QString& udid, const Abbruch& abbruch,
                                             const Kopiermeldung& melden = {}) const override;

private:
    // A run of `idevicepair -u UDID befehl`.
    Ergebnis<Werkzeugergebnis> kopplung(const QString& befehl, const QString& udid,
                                        const Abbruch& abbruch) const;
    Ergebnis<std::optional<QString>> infoWert(const QString& schluessel, const QString& udid,
                                              const Abbruch& abbruch) const;

    std::shared_ptr<const Werkzeuglaeufer> m_laeufer;
};

} // namespace kabel
