#include "Arbeitsverzeichnis.h"

#include <QDir>
#include <QDirIterator>
#include <QRegularExpression>
#include <QUuid>
#include <mutex>
#include <set>
#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace kabel {

namespace {

const auto praefix = QStringLiteral("sondit-kabel-");

struct Laufende {
    std::mutex mutex;
    std::set<QString> pfade;
};

Laufende& laufende() {
    static Laufende instanz;
    return instanz;
}

} // namespace

Arbeitsverzeichnis::Arbeitsverzeichnis()
    : m_pfad(QDir::tempPath() + u'/' + praefix +
             QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper()) {
    {
        std::lock_guard sperre(laufende().mutex);
        laufende().pfade.insert(m_pfad);
    }
    // Panic reports are private: only this user may look into the directory. A failure is
    // ignored; the tool then copies nothing and the list stays empty.
    QDir().mkpath(QDir::tempPath());
    QDir().mkdir(m_pfad, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

Arbeitsverzeichnis::~Arbeitsverzeichnis() {
    QDir(m_pfad).removeRecursively();
    std::lock_guard sperre(laufende().mutex);
    laufende().pfade.erase(m_pfad);
}

QString Arbeitsverzeichnis::pfad() const {
    return QDir::toNativeSeparators(m_pfad);
}

QStringList Arbeitsverzeichnis::eintraege() const {
    QStringList pfade;
    QDirIterator it(m_pfad, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        pfade.append(it.next());
    return pfade;
}

void alteArbeitsverzeichnisseEntfernen() {
    static const QRegularExpression muster(u'^' + praefix + u"[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}$");
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

void laufendeArbeitsverzeichnisseEntfernen() {
    std::lock_guard sperre(laufende().mutex);
    for (const QString& pfad : laufende().pfade)
        QDir(pfad).removeRecursively();
}

} // namespace kabel
