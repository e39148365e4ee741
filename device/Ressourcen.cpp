#include "Ressourcen.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace kabel {

std::optional<QString> ressourcenVerzeichnis() {
#ifdef Q_OS_MACOS
    // applicationDirPath() is Contents/MacOS inside the bundle.
    const QString kandidat = QCoreApplication::applicationDirPath() + u"/../Resources";
#else
    const QString kandidat = QCoreApplication::applicationDirPath() + u"/../share/sondit-kabel";
#endif
    const QFileInfo info(kandidat);
    if (!info.isDir())
        return std::nullopt;
    return QDir::cleanPath(info.absoluteFilePath());
}

} // namespace kabel
