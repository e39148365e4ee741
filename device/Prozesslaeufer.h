#pragma once

#include "Werkzeuglaeufer.h"

#include <chrono>

namespace kabel {

// Runs each tool as a child process, found afresh on every call in the given directories (the
// first executable match wins), so a tool installed while the app runs is found on the next call.
// A tool that shows no sign of life for `stille` is killed: it is looked at in slices of at most a
// second (a quarter of `stille` when that is shorter).
class Prozesslaeufer final : public Werkzeuglaeufer {
public:
    explicit Prozesslaeufer(QStringList verzeichnisse,
                            std::chrono::milliseconds stille = std::chrono::seconds(30));

    Ergebnis<Werkzeugergebnis> ausfuehren(const QString& name, const QStringList& argumente,
                                          const std::optional<Kopie>& kopie = std::nullopt) const override;
    bool vorhanden(const QString& programm) const override;

private:
    Ergebnis<Werkzeugergebnis> laufen(const QString& name, const QStringList& argumente,
                                      const std::optional<Kopie>& kopie) const;

    QStringList m_verzeichnisse;
    std::chrono::milliseconds m_stille;
};

// Kills (SIGKILL) every tool a Prozesslaeufer has started in this process and that still runs, so
// a quitting app leaves no child behind. The waiting calls then return with a non-zero status.
// Tools started afterwards run normally. Any thread.
void laufendeWerkzeugeBeenden();

} // namespace kabel
