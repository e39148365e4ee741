#pragma once

#include "PanicLog.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTime>
#include <optional>

namespace kabel {

// When a panic happened, as its report's header says: the phone's local time as written there,
// and the instant (its offset applied), by which reports are ordered.
struct Paniczeit {
    QDate datum;
    QTime uhrzeit;
    qint64 utcMs = 0; // milliseconds since 1970-01-01 00:00 UTC
    friend bool operator==(const Paniczeit&, const Paniczeit&) = default;
};

// What the technician looks for in the panic logs of a phone, read from their texts alone.
struct Panicbefund {
    // The newest log with a readable panic text.
    struct Letzte {
        Paniczeit zeit;
        QString ersteZeile;     // the panic text's first line, as written
        QString grund;          // that line cleaned of the parts that differ between equal panics
        qint64 gleicherGrund{}; // readable logs with the same reason, this one included
        QDate seit;             // the phone's date of the oldest of them
        friend bool operator==(const Letzte&, const Letzte&) = default;
    };
    std::optional<Letzte> letzte; // none when no log is readable
    QStringList fehlendeSensoren; // from every readable log, each once, as first written
    qint64 leer = 0;              // logs with an empty text
    qint64 unlesbar = 0;          // header no JSON object with a timestamp, or no panic text
    friend bool operator==(const Panicbefund&, const Panicbefund&) = default;
};

// Reads the logs: each header line as JSON, each body only up to its panic text ("panicString",
// or "string" for a force reset, bug_type 151), so a text cut after that is still read. Pure and
// without logging: nothing of a panic text leaves this function but its result.
Panicbefund panicBefund(const QList<PanicLog>& logs);

} // namespace kabel
