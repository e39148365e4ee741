// The tool runner: lookup, one child process per call, stdout collected, stderr discarded.
#include "Werkzeuglauf.h"

#include "Libimobiledevice.h"

#include <QFileInfo>
#include <QProcess>
#include <csignal>
#ifdef Q_OS_LINUX
#include <sys/prctl.h>
#endif
#include <limits>
#include <mutex>
#include <unicode/ustring.h>
#include <unordered_set>

namespace kabel {

namespace {

// Pids of the children that ausfuehren is waiting for, so laufendeWerkzeugeBeenden can end them.
// A pid leaves the set right after its wait returns; between the reaping inside that wait and the
// removal the pid could in theory be reused, but only if the whole pid space wrapped meanwhile.
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

std::optional<QString> Libimobiledevice::werkzeugPfad(const QString& name) const {
    for (const QString& verzeichnis : m_verzeichnisse) {
        const QString pfad =
            verzeichnis.endsWith(u'/') ? QString(verzeichnis + name) : QString(verzeichnis + u'/' + name);
        const QFileInfo info(pfad);
        if (info.isFile() && info.isExecutable())
            return pfad;
    }
    return std::nullopt;
}

Ergebnis<Werkzeugergebnis> Libimobiledevice::ausfuehren(const QString& name,
                                                        const QStringList& argumente) const {
    const std::optional<QString> pfad = werkzeugPfad(name);
    if (!pfad)
        return std::unexpected(ZugriffFehler::werkzeugFehlt());

    // Runs on worker threads without an event loop, so only the blocking waitFor* calls are used.
    QProcess prozess;
    prozess.setProgram(*pfad);
    prozess.setArguments(argumente);
    // Nobody reads stderr; discarding it means a chatty tool can never block on a full pipe.
    prozess.setStandardErrorFile(QProcess::nullDevice());
#ifdef Q_OS_LINUX
    // Should the app end without laufendeWerkzeugeBeenden (a crash, SIGKILL), the kernel ends
    // the tool with it. The signal is tied to this thread, which outlives the child anyway.
    prozess.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
#endif
    prozess.start(QIODevice::ReadOnly);
    if (!prozess.waitForStarted(-1))
        return std::unexpected(StartFehler{prozess.errorString()});

    Werkzeugergebnis ergebnis;
    {
        const Anmeldung anmeldung(prozess.processId());
        // Drain stdout while the child runs; waitForReadyRead turns false once it has exited.
        while (prozess.waitForReadyRead(-1))
            ergebnis.ausgabe += prozess.readAllStandardOutput();
        prozess.waitForFinished(-1);
    }
    ergebnis.ausgabe += prozess.readAllStandardOutput();
    if (prozess.exitStatus() == QProcess::CrashExit)
        // Qt reports the signal number as exit code here; 128 + signal as a shell would.
        ergebnis.status = 128 + prozess.exitCode();
    else
        ergebnis.status = prozess.exitCode();
    return ergebnis;
}

QString Libimobiledevice::ausgabeText(const QByteArray& ausgabe) {
    // ICU replaces each malformed sequence (its maximal subpart) by one U+FFFD; Qt's decoder
    // would put one per byte, so a truncated "\xE2\x82" would become two.
    if (ausgabe.isEmpty() || ausgabe.size() > std::numeric_limits<int32_t>::max())
        return QString::fromUtf8(ausgabe).trimmed();
    QString text(ausgabe.size(), Qt::Uninitialized);
    int32_t laenge = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8WithSub(reinterpret_cast<UChar*>(text.data()), static_cast<int32_t>(text.size()), &laenge,
                         ausgabe.constData(), static_cast<int32_t>(ausgabe.size()), 0xFFFD, nullptr, &status);
    if (U_FAILURE(status))
        return QString::fromUtf8(ausgabe).trimmed();
    text.resize(laenge);
    return text.trimmed();
}

} // namespace kabel
