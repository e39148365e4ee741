#pragma once

#include "ZugriffFehler.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace kabel {

// Exit status and everything a tool wrote to its standard output. Standard error is never kept.
struct Werkzeugergebnis {
    qint32 status = 0;
    QByteArray ausgabe;
};

// Runs the libimobiledevice command-line tools: the one place where device access meets the
// system. Libimobiledevice takes it through its constructor; the process runner is the real one.
class Werkzeuglaeufer {
public:
    virtual ~Werkzeuglaeufer() = default;

    // Runs tool `name` with `argumente` and waits until it has ended. Fails with `werkzeugFehlt`
    // when the tool is not found and with StartFehler when it cannot be started; a non-zero exit
    // status is a result, not a failure. Blocks the calling thread; safe from any thread.
    virtual Ergebnis<Werkzeugergebnis> ausfuehren(const QString& name,
                                                  const QStringList& argumente) const = 0;
};

} // namespace kabel
