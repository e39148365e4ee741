#include "Prozesslaeufer.h"

#include "Logkategorie.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <algorithm>
#include <csignal>
#include <deque>
#ifdef Q_OS_LINUX
#include <sys/prctl.h>
#endif
#ifdef Q_OS_MACOS
#include <libproc.h>
#endif

namespace kabel {

namespace {

// How soon a running tool of ended work is killed.
constexpr qint64 abbruchSchritt = 50;

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

// The context switches a process has made so far that it asked for (on the Mac all of them);
// none where they cannot be read.
std::optional<qint64> kontextwechsel(qint64 pid) {
#if defined(Q_OS_LINUX)
    QFile status(u"/proc/" + QString::number(pid) + u"/status");
    if (!status.open(QIODevice::ReadOnly))
        return std::nullopt;
    for (const QByteArray& zeile : status.readAll().split('\n'))
        if (zeile.startsWith("voluntary_ctxt_switches:"))
            return zeile.mid(24).trimmed().toLongLong();
    return std::nullopt;
#elif defined(Q_OS_MACOS)
    proc_taskinfo info{};
    if (proc_pidinfo(int(pid), PROC_PIDTASKINFO, 0, &info, sizeof info) != int(sizeof info))
        return std::nullopt;
    return qint64(info.pti_csw);
#else
    Q_UNUSED(pid);
    return std::nullopt;
#endif
}

} // namespace

Q_LOGGING_CATEGORY(logGeraet, "kabel.device", QtInfoMsg)

Prozesslaeufer::Prozesslaeufer(QStringList verzeichnisse, std::chrono::milliseconds stille)
    : m_verzeichnisse(std::move(verzeichnisse)), m_stille(stille) {}

bool Prozesslaeufer::vorhanden(const QString& programm) const {
    return !QStandardPaths::findExecutable(
                programm, {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin"), QStringLiteral("/usr/bin"),
                           QStringLiteral("/bin"), QStringLiteral("/usr/local/sbin"),
                           QStringLiteral("/usr/local/bin"), QStringLiteral("/opt/homebrew/bin")})
                .isEmpty();
}

Ergebnis<Werkzeugergebnis> Prozesslaeufer::ausfuehren(const QString& name, const QStringList& argumente,
                                                      const Abbruch& abbruch,
                                                      const std::optional<Kopie>& kopie) const {
    QElapsedTimer uhr;
    uhr.start();
    Ergebnis<Werkzeugergebnis> ergebnis = laufen(name, argumente, abbruch, kopie);
    if (!logGeraet().isDebugEnabled())
        return ergebnis;
    // Enough of the UDID to tell two phones apart in a log, not the whole identifier. The tools
    // write to stderr only when something went wrong; its first line says what, and names the
    // phone only by its UDID.
    const qsizetype stelle = argumente.indexOf(QStringLiteral("-u")) + 1;
    const QString udid = stelle > 0 && stelle < argumente.size() ? argumente[stelle] : QString();
    const auto kuerzen = [&](QString text) {
        return udid.isEmpty() ? text : text.replace(udid, udid.left(8) + u'…');
    };
    const QString fehlerzeile =
        ergebnis ? QString::fromUtf8(ergebnis->fehlerausgabe).trimmed().section(u'\n', 0, 0) : QString();
    qCDebug(logGeraet).noquote() << name << kuerzen(argumente.join(u' ')) << "→"
                                 << (ergebnis ? QString::number(ergebnis->status)
                                     : std::holds_alternative<Abgebrochen>(ergebnis.error())
                                         ? QStringLiteral("abgebrochen")
                                         : beschreibung(ergebnis.error()))
                                 << uhr.elapsed()
                                 << (fehlerzeile.isEmpty() ? QStringLiteral("ms")
                                                           : u"ms: " + kuerzen(fehlerzeile));
    return ergebnis;
}

Ergebnis<Werkzeugergebnis> Prozesslaeufer::laufen(const QString& name, const QStringList& argumente,
                                                  const Abbruch& abbruch,
                                                  const std::optional<Kopie>& kopie) const {
    const QString pfad = QStandardPaths::findExecutable(name, m_verzeichnisse);
    if (pfad.isEmpty())
        return std::unexpected(ZugriffFehler::werkzeugFehlt());
    if (abbruch.beendet()) // no further tool of ended work starts
        return std::unexpected(Abgebrochen{});

    // Runs on worker threads without an event loop, so only the blocking waitFor* calls are used.
    // Stderr has a pipe of its own; QProcess drains it while it waits, so a chatty tool never blocks.
    QProcess prozess;
    prozess.setProgram(pfad);
    prozess.setArguments(argumente);
#ifdef Q_OS_LINUX
    // Should the app end without killing it (a crash, SIGKILL), the kernel ends the tool with it.
    // The signal is tied to this thread, which outlives the child anyway.
    prozess.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
#endif
    prozess.start(QIODevice::ReadOnly);
    if (!prozess.waitForStarted(-1))
        return std::unexpected(StartFehler{u"Das Werkzeug „" + name + u"“ lässt sich nicht starten."});

    const qint64 stille = m_stille.count(), blick = std::clamp<qint64>(stille / 4, 1, 1000);
    QElapsedTimer laufzeit;
    laufzeit.start();
    qint64 naechsterBlick = blick, lebenMs = 0;
    const char* lebenszeichen = "Start";
    const auto leben = [&](const char* zeichen) {
        lebenMs = laufzeit.elapsed();
        lebenszeichen = zeichen;
    };
    // Kills the tool: its work ended (no reason given), or for `grund`.
    const auto toeten = [&](const char* grund) {
        prozess.kill();
        prozess.waitForFinished(-1);
        if (grund)
            qCDebug(logGeraet) << name << "getötet:" << grund << "– zuletzt" << lebenszeichen << "nach"
                               << lebenMs << "ms, getötet nach" << laufzeit.elapsed() << "ms";
        return std::unexpected(Abgebrochen{});
    };

    Werkzeugergebnis ergebnis;
    Kopierstand stand;
    std::deque<std::pair<qint64, qint64>> wechsel; // (ms, context switches) at the looks of the window
    for (;;) {
        // Returns early with data on stdout, and at once once stdout is closed: then wait for the
        // end instead, so a step is never shorter than it should be.
        const qint64 schritt = std::min(blick, abbruchSchritt);
        QElapsedTimer warten;
        warten.start();
        if (!prozess.waitForReadyRead(int(schritt)) && prozess.state() != QProcess::NotRunning)
            prozess.waitForFinished(int(std::max<qint64>(schritt - warten.elapsed(), 0)));
        const QByteArray aus = prozess.readAllStandardOutput(), fehler = prozess.readAllStandardError();
        if (kopie && kopie->gelesen) {
            kopie->gelesen(aus, false);
            kopie->gelesen(fehler, true);
        }
        if (!aus.isEmpty())
            leben("stdout");
        ergebnis.ausgabe += aus;
        if (kopie)
            ergebnis.ausgabe.truncate(fortschrittBehalten);
        ergebnis.fehlerausgabe += fehler;
        ergebnis.fehlerausgabe.truncate(fehlerausgabeBehalten);
        if (ergebnis.ausgabe.size() > antwortHoechstens)
            return toeten("Antwort zu lang");
        if (prozess.state() == QProcess::NotRunning)
            break;
        if (abbruch.beendet())
            return toeten(nullptr);
        const qint64 jetzt = laufzeit.elapsed();
        if (jetzt < naechsterBlick)
            continue;
        naechsterBlick = jetzt + blick;
        if (kopie) {
            const Kopierstand neu = kopierstandVon(kopie->verzeichnis, laufzeit);
            if (neu.dateien != stand.dateien || neu.bytes != stand.bytes)
                leben("Verzeichnis");
            stand = neu;
            if (kopie->melden)
                kopie->melden(stand);
        }
        if (const auto anzahl = kontextwechsel(prozess.processId())) {
            // Against the newest look at least a window old; at least two switches in any window.
            wechsel.emplace_back(jetzt, *anzahl);
            while (wechsel.size() > 1 && wechsel[1].first <= jetzt - stille)
                wechsel.pop_front();
            if ((*anzahl - wechsel.front().second) * 1000 >
                std::max<qint64>(jetzt - wechsel.front().first, 1000))
                leben("Kontextwechsel");
        }
        if (jetzt - lebenMs >= stille)
            return toeten("ohne Lebenszeichen");
    }
    // A child ended by a signal: 128 + signal, as a shell reports it (Qt gives the signal number).
    ergebnis.status =
        prozess.exitStatus() == QProcess::CrashExit ? 128 + prozess.exitCode() : prozess.exitCode();
    return ergebnis;
}

} // namespace kabel
