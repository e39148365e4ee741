#pragma once

#include "Werkzeuglaeufer.h"

#include <chrono>

namespace kabel {

// Runs each tool as a child process, found afresh on every call in the given directories (the
// first executable match wins), so a tool installed while the app runs is found on the next call.
// A tool without a sign of life for `stille` is killed, looked at about once a second (a quarter of
// `stille` when shorter). Talking to usbmuxd shows only in its voluntary context switches (one per
// blocking send/recv round trip; /proc/<pid>/io counts no socket traffic): more than one a second
// over `stille` is alive; a tool waiting on a silent phone makes one per receive timeout.
class Prozesslaeufer final : public Werkzeuglaeufer {
public:
    explicit Prozesslaeufer(QStringList verzeichnisse,
                            std::chrono::milliseconds stille = std::chrono::seconds(30));

    Ergebnis<Werkzeugergebnis> ausfuehren(const QString& name, const QStringList& argumente,
                                          const Abbruch& abbruch,
                                          const std::optional<Kopie>& kopie = std::nullopt) const override;
    bool vorhanden(const QString& programm) const override;

private:
    Ergebnis<Werkzeugergebnis> laufen(const QString& name, const QStringList& argumente,
                                      const Abbruch& abbruch, const std::optional<Kopie>& kopie) const;

    QStringList m_verzeichnisse;
    std::chrono::milliseconds m_stille;
};

} // namespace kabel
