#include "Prozesslaeufer.h"

#include "Abbruch.h"
#include "Ausgabetext.h"
#include "Logkategorie.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <algorithm>
#include <csignal>
#include <mutex>
#include <unordered_set>
#ifdef Q_OS_LINUX
#include <sys/prctl.h>
#endif

namespace kabel {

namespace {

// Pids of the children that ausfuehren waits for, so laufendeWerkzeugeBeenden can end them. A pid
// leaves the set right after its wait returns; it could only be reused in between if the whole
// pid space wrapped meanwhile.
struct Laufende {
    std::mutex mutex;
    std::unordered_multiset<qint64> pids;
};

Laufende& laufende() {
    static Laufende instanz;
    return instanz;
}

class Anmeldung {
public:
    explicit Anmeldung(qint64 pid) : m_pid(pid) {
        std::lock_guard sperre(laufende().mutex);
        laufende().pids.insert(m_pid);
    }
    ~Anmeldung() {
        std::lock_guard sperre(laufende().mutex);
        laufende().pids.erase(laufende().pids.find(m_pid));
    }
    Anmeldung(const Anmeldung&) = delete;
    Anmeldung& operator=(const Anmeldung&) = delete;

private:
    qint64 m_pid;
};

// The regular files below `verzeichnis` and their bytes; links are not followed.
Kopierstand kopierstandVon(const QString& verzeichnis, const QElapsedTimer& laufzeit) {
    Kopierstand stand;
    QDirIterator eintraege(verzeichnis, QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks,
                           QDirIterator::Subdirectories);
    while (eintraege.hasNext()) {
        eintraege.next();
        ++stand.dateien;
        stand.bytes += eintraege.fileInfo().size();
    }
    stand.dauer = std::chrono::milliseconds(laufzeit.elapsed());
    return stand;
}

} // namespace

void laufendeWerkzeugeBeenden() {
    std::lock_guard sperre(laufende().mutex);
    for (const qint64 pid : laufende().pids)
        ::kill(static_cast<pid_t>(pid), SIGKILL);
}

Q_LOGGING_CATEGORY(logGeraet, "kabel.device", QtInfoMsg)

Prozesslaeufer::Prozesslaeufer(QStringList verzeichnisse, std::chrono::milliseconds stille)
    : m_verzeichnisse(std::move(verzeichnisse)), m_stille(stille) {}

bool Prozesslaeufer::vorhanden(const QString& programm) const {
    static const QStringList orte = {QStringLiteral("/usr/sbin"),        QStringLiteral("/sbin"),
                                     QStringLiteral("/usr/bin"),         QStringLiteral("/bin"),
                                     QStringLiteral("/usr/local/sbin"),  QStringLiteral("/usr/local/bin"),
                                     QStringLiteral("/opt/homebrew/bin")};
    return !QStandardPaths::findExecutable(programm, orte).isEmpty();
}

Ergebnis<Werkzeugergebnis> Prozesslaeufer::ausfuehren(const QString& name, const QStringList& argumente,
                                                      const std::optional<Kopie>& kopie) const {
    QElapsedTimer uhr;
    uhr.start();
    Ergebnis<Werkzeugergebnis> ergebnis = laufen(name, argumente, kopie);
    if (logGeraet().isDebugEnabled()) {
        QStringList gezeigt = argumente;
        QString udid;
        // Enough of the UDID to tell two phones apart in a log, not the whole identifier.
        if (const qsizetype stelle = gezeigt.indexOf(QStringLiteral("-u")) + 1;
            stelle > 0 && stelle < gezeigt.size()) {
            udid = gezeigt[stelle];
            gezeigt[stelle] = udid.left(8) + u'…';
        }
        // The tools write to stderr only when something went wrong (a failure, a file cut short);
        // its first line says what, and names the phone only by its UDID.
        QString fehlerzeile =
            ergebnis ? ausgabeText(ergebnis->fehlerausgabe).section(u'\n', 0, 0) : QString();
        if (!udid.isEmpty())
            fehlerzeile.replace(udid, udid.left(8) + u'…');
        qCDebug(logGeraet).noquote() << name << gezeigt.join(u' ') << "→"
                                     << (ergebnis ? QString::number(ergebnis->status)
                                         : std::holds_alternative<Abgebrochen>(ergebnis.error())
                                             ? QStringLiteral("abgebrochen")
                                             : beschreibung(ergebnis.error()))
                                     << uhr.elapsed()
                                     << (fehlerzeile.isEmpty() ? QStringLiteral("ms")
                                                               : u"ms: " + fehlerzeile);
    }
    return ergebnis;
}

Ergebnis<Werkzeugergebnis> Prozesslaeufer::laufen(const QString& name, const QStringList& argumente,
                                                  const std::optional<Kopie>& kopie) const {
    const QString pfad = QStandardPaths::findExecutable(name, m_verzeichnisse);
    if (pfad.isEmpty())
        return std::unexpected(ZugriffFehler::werkzeugFehlt());
    // The work this run belongs to was ended: no further tool of it starts.
    if (Abbruch::aktuellBeendet())
        return std::unexpected(Abgebrochen{});

    // Runs on worker threads without an event loop, so only the blocking waitFor* calls are used.
    // Stderr has a pipe of its own; QProcess drains it while it waits, so a chatty tool never blocks.
    QProcess prozess;
    prozess.setProgram(pfad);
    prozess.setArguments(argumente);
#ifdef Q_OS_LINUX
    // Should the app end without laufendeWerkzeugeBeenden (a crash, SIGKILL), the kernel ends the
    // tool with it. The signal is tied to this thread, which outlives the child anyway.
    prozess.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
#endif
    prozess.start(QIODevice::ReadOnly);
    if (!prozess.waitForStarted(-1))
        return std::unexpected(StartFehler{u"Das Werkzeug „" + name + u"“ lässt sich nicht starten."});

    Werkzeugergebnis ergebnis;
    // Reads what has come and tells whether stdout grew; false once an answer is beyond its limit.
    bool gewachsen = false;
    const auto lesen = [&] {
        const QByteArray neu = prozess.readAllStandardOutput();
        gewachsen = !neu.isEmpty();
        ergebnis.ausgabe += neu;
        if (kopie)
            ergebnis.ausgabe.truncate(fortschrittBehalten);
        ergebnis.fehlerausgabe += prozess.readAllStandardError();
        ergebnis.fehlerausgabe.truncate(fehlerausgabeBehalten);
        return ergebnis.ausgabe.size() <= antwortHoechstens;
    };
    const auto abbrechen = [&] {
        prozess.kill();
        prozess.waitForFinished(-1);
        return std::unexpected(Abgebrochen{});
    };
    const qint64 pid = prozess.processId();
    const Anmeldung anmeldung(pid);
    const Abbruch::Anmeldung beenden([pid] { ::kill(static_cast<pid_t>(pid), SIGKILL); });

    const qint64 stille = m_stille.count(), scheibe = std::clamp<qint64>(stille / 4, 1, 1000);
    QElapsedTimer seitLeben, seitBlick, laufzeit;
    seitLeben.start();
    seitBlick.start();
    laufzeit.start();
    Kopierstand stand;
    for (;;) {
        // Returns early with data on stdout, and at once once stdout is closed: then wait for the
        // end instead, so a slice is never shorter than it should be.
        QElapsedTimer warten;
        warten.start();
        if (!prozess.waitForReadyRead(int(scheibe)) && prozess.state() != QProcess::NotRunning)
            prozess.waitForFinished(int(std::max<qint64>(scheibe - warten.elapsed(), 0)));
        if (!lesen())
            return abbrechen();
        if (gewachsen)
            seitLeben.restart();
        if (prozess.state() == QProcess::NotRunning)
            break;
        if (kopie && seitBlick.elapsed() >= scheibe) {
            seitBlick.restart();
            const Kopierstand neu = kopierstandVon(kopie->verzeichnis, laufzeit);
            if (neu.dateien != stand.dateien || neu.bytes != stand.bytes)
                seitLeben.restart();
            stand = neu;
            if (kopie->melden)
                kopie->melden(stand);
        }
        if (seitLeben.elapsed() >= stille)
            return abbrechen();
    }
    if (Abbruch::aktuellBeendet()) // killed because its work ended
        return std::unexpected(Abgebrochen{});
    // A child ended by a signal: 128 + signal, as a shell reports it (Qt gives the signal number).
    ergebnis.status =
        prozess.exitStatus() == QProcess::CrashExit ? 128 + prozess.exitCode() : prozess.exitCode();
    return ergebnis;
}

} // namespace kabel
