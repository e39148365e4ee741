// Placeholder until the tool runner lands: every tool counts as missing.
#include "Libimobiledevice.h"

namespace kabel {

Libimobiledevice::Libimobiledevice() : m_verzeichnisse(werkzeugVerzeichnisse()) {}
Libimobiledevice::Libimobiledevice(QStringList verzeichnisse) : m_verzeichnisse(std::move(verzeichnisse)) {}
QStringList Libimobiledevice::werkzeugVerzeichnisse() { return {}; }
Ergebnis<QStringList> Libimobiledevice::geraete() const { return std::unexpected(ZugriffFehler::werkzeugFehlt()); }
bool Libimobiledevice::istGekoppelt(const QString&) const { return false; }
Ergebnis<void> Libimobiledevice::koppeln(const QString&) const { return std::unexpected(ZugriffFehler::werkzeugFehlt()); }
void Libimobiledevice::entkoppeln(const QString&) const {}
Ergebnis<Geraetedaten> Libimobiledevice::geraetedatenLesen(const QString&) const { return std::unexpected(ZugriffFehler::werkzeugFehlt()); }
std::optional<Akkudaten> Libimobiledevice::akkudatenLesen(const QString&) const { return std::nullopt; }
QList<PanicLog> Libimobiledevice::panicLogsLesen(const QString&) const { return {}; }
std::optional<QString> Libimobiledevice::infoWert(const QString&, const QString&) const { return std::nullopt; }
std::optional<QString> Libimobiledevice::werkzeugPfad(const QString&) const { return std::nullopt; }
Ergebnis<Werkzeugergebnis> Libimobiledevice::ausfuehren(const QString&, const QStringList&) const { return std::unexpected(ZugriffFehler::werkzeugFehlt()); }
QString Libimobiledevice::ausgabeText(const QByteArray& a) { return QString::fromUtf8(a).trimmed(); }

} // namespace kabel
