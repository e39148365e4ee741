#include "Arbeitsverzeichnis.h"

#include <QDir>
#include <QRegularExpression>
#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace kabel {

const auto praefix = QStringLiteral("sondit-kabel-");

QString arbeitsverzeichnisVorlage() {
    // QTemporaryDir puts a letter for each X, and creates the directory for this user only. Qt
    // names no directory when TMPDIR leads to none: then none can be made there either.
    const QString tmp = QDir::tempPath();
    return (tmp.isEmpty() ? qEnvironmentVariable("TMPDIR") : tmp) + u'/' + praefix + QString(16, u'X');
}

void alteArbeitsverzeichnisseEntfernen() {
    static const QRegularExpression muster(u'^' + praefix + u"[A-Za-z]{16}$");
    if (QDir::tempPath().isEmpty())
        return;
    const QFileInfoList eintraege =
        QDir(QDir::tempPath()).entryInfoList({praefix + u'*'}, QDir::Dirs | QDir::NoSymLinks);
    for (const QFileInfo& eintrag : eintraege) {
#ifdef Q_OS_UNIX
        if (eintrag.ownerId() != ::getuid())
            continue;
#endif
        if (muster.match(eintrag.fileName()).hasMatch())
            QDir(eintrag.filePath()).removeRecursively();
    }
}

} // namespace kabel
