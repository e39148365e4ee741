#include "Prozesslaeufer.h"

#include "Protokoll.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
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

} // namespace

void laufendeWerkzeugeBeenden() {
    std::lock_guard sperre(laufende().mutex);
    for (const qint64 pid : laufende().pids)
        ::kill(static_cast<pid_t>(pid), SIGKILL);
}

Q_LOGGING_CATEGORY(protokollGeraet, "kabel.device", QtInfoMsg)

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
                                                      Ausgabe art) const {
    QElapsedTimer uhr;
    uhr.start();
    Ergebnis<Werkzeugergebnis> ergebnis = laufen(name, argumente, art);
    if (protokollGeraet().isDebugEnabled()) {
        QStringList gezeigt = argumente;
        // Enough of the UDID to tell two phones apart in a log, not the whole identifier.
        if (const qsizetype udid = gezeigt.indexOf(QStringLiteral("-u")) + 1;
            udid > 0 && udid < gezeigt.size())
            gezeigt[udid] = gezeigt[udid].left(8) + u'…';
        qCDebug(protokollGeraet).noquote()
            << name << gezeigt.join(u' ') << "→"
            << (ergebnis                                                ? QString::number(ergebnis->status)
                : std::holds_alternative<Abgebrochen>(ergebnis.error()) ? QStringLiteral("abgebrochen")
                                                                        : beschreibung(ergebnis.error()))
            << uhr.elapsed() << "ms";
    }
    return ergebnis;
}

Ergebnis<Werkzeugergebnis> Prozesslaeufer::laufen(const QString& name, const QStringList& argumente,
                                                  Ausgabe art) const {
    // findExecutable searches PATH when given no directories; an empty list means "nowhere".
    const QString pfad =
        m_verzeichnisse.isEmpty() ? QString() : QStandardPaths::findExecutable(name, m_verzeichnisse);
    if (pfad.isEmpty())
        return std::unexpected(ZugriffFehler::werkzeugFehlt());

    // Runs on worker threads without an event loop, so only the blocking waitFor* calls are used.
    QProcess prozess;
    prozess.setProgram(pfad);
    prozess.setArguments(argumente);
    // Nobody reads stderr; discarding it means a chatty tool can never block on a full pipe.
    prozess.setStandardErrorFile(QProcess::nullDevice());
#ifdef Q_OS_LINUX
    // Should the app end without laufendeWerkzeugeBeenden (a crash, SIGKILL), the kernel ends the
    // tool with it. The signal is tied to this thread, which outlives the child anyway.
    prozess.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
#endif
    prozess.start(QIODevice::ReadOnly);
    if (!prozess.waitForStarted(-1))
        return std::unexpected(StartFehler{u"Das Werkzeug „" + name + u"“ lässt sich nicht starten."});

    Werkzeugergebnis ergebnis;
    const auto lesen = [&] {
        ergebnis.ausgabe += prozess.readAllStandardOutput();
        if (art == Ausgabe::fortschritt)
            ergebnis.ausgabe.truncate(fortschrittBehalten);
        return ergebnis.ausgabe.size() <= antwortHoechstens;
    };
    const auto abbrechen = [&] {
        prozess.kill();
        prozess.waitForFinished(-1);
        return std::unexpected(Abgebrochen{});
    };
    const Anmeldung anmeldung(prozess.processId());
    // Drain stdout while the child runs; waitForReadyRead turns false once it has exited, or when
    // it has been silent too long (also with its output closed).
    while (prozess.waitForReadyRead(int(m_stille.count())))
        if (!lesen())
            return abbrechen();
    if (prozess.state() != QProcess::NotRunning)
        return abbrechen();
    if (!lesen())
        return abbrechen();
    // A child ended by a signal: 128 + signal, as a shell reports it (Qt gives the signal number).
    ergebnis.status =
        prozess.exitStatus() == QProcess::CrashExit ? 128 + prozess.exitCode() : prozess.exitCode();
    return ergebnis;
}

} // namespace kabel
