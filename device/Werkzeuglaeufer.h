#pragma once

#include "Werkzeugergebnis.h"
#include "ZugriffFehler.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace kabel {

// What a run's standard output is: an answer the caller reads (real ones are a few kilobytes; a
// tool writing more than `antwortHoechstens` is killed), or progress lines that only keep the run
// alive and of which the first `fortschrittBehalten` bytes are kept.
enum class Ausgabe { antwort, fortschritt };
inline constexpr qsizetype antwortHoechstens = 1 << 20;
inline constexpr qsizetype fortschrittBehalten = 1 << 16;

// Runs the libimobiledevice command-line tools: the one place where device access meets the
// system. Libimobiledevice takes it through its constructor; the process runner is the real one.
class Werkzeuglaeufer {
public:
    virtual ~Werkzeuglaeufer() = default;

    // Runs tool `name` with `argumente` and waits until it has ended. Fails with `werkzeugFehlt`
    // when the tool is not found, with StartFehler when it cannot be started, and with
    // Abgebrochen when it had to be killed: silent on stdout for too long (the tools' own receive
    // timeout is 30 s), or an answer beyond its limit. A non-zero exit status is a result, not a
    // failure. Blocks the calling thread; safe from any thread.
    virtual Ergebnis<Werkzeugergebnis> ausfuehren(const QString& name, const QStringList& argumente,
                                                  Ausgabe art = Ausgabe::antwort) const = 0;

    // Whether a program of the system (usbmuxd) is installed where such programs live.
    virtual bool vorhanden(const QString& programm) const = 0;
};

} // namespace kabel
