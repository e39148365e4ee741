// The panic reports, copied by idevicecrashreport into a private directory that lives for one call.
#include "PanicLogs.h"

#include "Libimobiledevice.h"
#include "Paniktext.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QUuid>
#include <algorithm>

namespace kabel {

namespace {

// Deletes the working directory on every way out of panicLogsLesen.
class Arbeitsverzeichnis {
public:
    Arbeitsverzeichnis()
        : m_pfad(QDir::tempPath() + u"/sondit-kabel-" +
                 QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper()) {
        // Panic reports are private: only this user may look into the directory. A failure is
        // ignored; the tool then copies nothing and the list stays empty.
        QDir().mkpath(QDir::tempPath());
        QDir().mkdir(m_pfad, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    ~Arbeitsverzeichnis() { QDir(m_pfad).removeRecursively(); }
    Arbeitsverzeichnis(const Arbeitsverzeichnis&) = delete;
    Arbeitsverzeichnis& operator=(const Arbeitsverzeichnis&) = delete;

    const QString& pfad() const { return m_pfad; }
    bool istLeer() const {
        return QDir(m_pfad).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }

    QStringList alleEintraege() const {
        QStringList pfade;
        QDirIterator it(m_pfad, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext())
            pfade.append(it.next());
        return pfade;
    }

private:
    QString m_pfad;
};

} // namespace

QStringList panicKandidatenWaehlen(const QStringList& pfade) {
    struct Kandidat {
        QList<uint> schluessel;
        QString pfad;
    };
    QList<Kandidat> kandidaten;
    for (const QString& pfad : pfade) {
        const QString name = QFileInfo(pfad).fileName();
        if (name.toLower().startsWith(u"panic"))
            kandidaten.append({name.normalized(QString::NormalizationForm_C).toUcs4(), pfad});
    }
    // UCS-4 rather than QString's UTF-16 order: a character above U+FFFF must sort after U+FFFF.
    std::stable_sort(kandidaten.begin(), kandidaten.end(),
                     [](const Kandidat& a, const Kandidat& b) { return b.schluessel < a.schluessel; });
    QStringList gewaehlt;
    for (qsizetype i = 0; i < std::min(kandidaten.size(), panicLogsHoechstens); ++i)
        gewaehlt.append(kandidaten[i].pfad);
    return gewaehlt;
}

std::optional<PanicLog> panicLogLesen(const QString& pfad) {
    const QFileInfo info(pfad);
    if (info.isSymLink() || !info.isFile())
        return std::nullopt;
    QFile datei(pfad);
    if (!datei.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray inhalt = datei.readAll();
    if (datei.error() != QFileDevice::NoError)
        return std::nullopt;
    const std::string_view text(inhalt.constData(), static_cast<std::size_t>(inhalt.size()));
    if (!istGueltigesUtf8(text))
        return std::nullopt;
    return PanicLog{info.fileName(),
                    std::string(text.substr(0, graphemePraefix(text, panicZeichenHoechstens)))};
}

QList<PanicLog> Libimobiledevice::panicLogsLesen(const QString& udid) const {
    const Arbeitsverzeichnis verzeichnis;
    const QString ziel = QDir::toNativeSeparators(verzeichnis.pfad());

    const auto lauf = ausfuehren(QStringLiteral("idevicecrashreport"),
                                 {QStringLiteral("-u"), udid, QStringLiteral("-k"), QStringLiteral("-f"),
                                  QStringLiteral("panic"), ziel});
    // The 1.3.0 tool (Debian 12) has no -f: it takes "-f" for the directory, prints its usage and
    // exits 0 without copying anything. Then fetch every report without the filter; only the
    // panic files below are ever opened. "-k" always stays: the reports remain on the phone.
    if (lauf && lauf->ausgabe.startsWith("Usage:") && verzeichnis.istLeer())
        (void)ausfuehren(QStringLiteral("idevicecrashreport"),
                         {QStringLiteral("-u"), udid, QStringLiteral("-k"), ziel});

    QList<PanicLog> logs;
    for (const QString& pfad : panicKandidatenWaehlen(verzeichnis.alleEintraege()))
        if (auto log = panicLogLesen(pfad))
            logs.append(std::move(*log));
    return logs;
}

} // namespace kabel
