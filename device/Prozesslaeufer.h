#pragma once

#include "Werkzeuglaeufer.h"

namespace kabel {

// Runs each tool as a child process, found afresh on every call in the given directories (the
// first executable match wins), so a tool installed while the app runs is found on the next call.
class Prozesslaeufer final : public Werkzeuglaeufer {
public:
    explicit Prozesslaeufer(QStringList verzeichnisse);

    Ergebnis<Werkzeugergebnis> ausfuehren(const QString& name, const QStringList& argumente) const override;

private:
    QStringList m_verzeichnisse;
};

// Kills (SIGKILL) every tool a Prozesslaeufer has started in this process and that still runs, so
// a quitting app leaves no child behind. The waiting calls then return with a non-zero status.
// Tools started afterwards run normally. Any thread.
void laufendeWerkzeugeBeenden();

} // namespace kabel
