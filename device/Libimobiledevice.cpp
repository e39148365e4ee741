#include "Libimobiledevice.h"

#include "Ressourcen.h"

namespace kabel {

Libimobiledevice::Libimobiledevice() : m_verzeichnisse(werkzeugVerzeichnisse()) {}

Libimobiledevice::Libimobiledevice(QStringList verzeichnisse) : m_verzeichnisse(std::move(verzeichnisse)) {}

QStringList Libimobiledevice::werkzeugVerzeichnisse() {
    QStringList verzeichnisse;
    // The app's own copies first: a tool missing there means a damaged installation.
    if (const auto ressourcen = ressourcenVerzeichnis())
        verzeichnisse.append(*ressourcen + u"/bin/");
    verzeichnisse.append(QStringLiteral("/opt/homebrew/bin/"));
    verzeichnisse.append(QStringLiteral("/usr/local/bin/"));
    return verzeichnisse;
}

} // namespace kabel
