#pragma once

#include "Abbruch.h"
#include "Ergebnis.h"
#include "Kopierstand.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace kabel {

inline constexpr qsizetype fehlerausgabeBehalten = 1 << 16;

// Exit status, everything a tool wrote to its standard output, and the start of what it wrote to
// standard error (its first `fehlerausgabeBehalten` bytes; the rest is read and dropped).
struct Werkzeugergebnis {
    qint32 status = 0;
    QByteArray ausgabe;
    QByteArray fehlerausgabe;
};

// A tool's standard output is an answer the caller reads (real ones are a few kilobytes; a tool
// writing more than `antwortHoechstens` is killed), unless the tool copies into a directory: then
// it is progress, of which the first `fortschrittBehalten` bytes are kept.
inline constexpr qsizetype antwortHoechstens = 1 << 20;
inline constexpr qsizetype fortschrittBehalten = 1 << 16;

// A run that copies into `verzeichnis`. The copy tool writes its lines through a block-buffered
// stream, so its stdout can stay silent for minutes while files arrive: it counts as alive while
// the directory grows too. `melden`, if set, hears about once a second what has arrived;
// `gelesen`, if set, every piece of stdout and of stderr as it is read, none left out.
struct Kopie {
    QString verzeichnis;
    Kopiermeldung melden;
    std::function<void(QByteArrayView stueck, bool fehlerausgabe)> gelesen;
};

// Runs the libimobiledevice command-line tools: the one place where device access meets the
// system. Libimobiledevice takes it through its constructor; the process runner is the real one.
class Werkzeuglaeufer {
public:
    virtual ~Werkzeuglaeufer() = default;

    // Runs tool `name` with `argumente` and waits until it has ended. Fails with `werkzeugFehlt`
    // when the tool is not found, with StartFehler when it cannot be started, and with Abgebrochen
    // when it was killed: without a sign of life for too long (stdout, a copy's directory, or its
    // talk with the phone), an answer beyond its limit, or `abbruch` ended (then it never starts).
    // A non-zero exit status is a result, not a failure. Blocks; safe from any thread.
    virtual Ergebnis<Werkzeugergebnis> ausfuehren(const QString& name, const QStringList& argumente,
                                                  const Abbruch& abbruch,
                                                  const std::optional<Kopie>& kopie = std::nullopt) const = 0;

    // Whether a program of the system (usbmuxd) is installed where such programs live.
    virtual bool vorhanden(const QString& programm) const = 0;
};

} // namespace kabel
