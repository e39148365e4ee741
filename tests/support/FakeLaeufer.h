#pragma once

#include "device/Werkzeuglaeufer.h"

#include <QFileInfo>
#include <QMap>
#include <functional>

namespace kabel::test {

// A tool runner that answers what the test set and records every call, written as the tool's
// name and arguments joined by blanks, "DIR" for a directory argument. A call without an answer
// prints nothing and ends with 0, like a key without value. Used from one thread.
class FakeLaeufer final : public Werkzeuglaeufer {
public:
    // `dabei` runs during the call with its directory, as a tool that writes there.
    void antworten(const QString& aufruf, const Ergebnis<Werkzeugergebnis>& antwort,
                   const std::function<void(const QString&)>& dabei = {}) {
        m_antworten.insert(aufruf, {antwort, dabei});
    }
    QStringList aufrufe() const { return m_aufrufe; }
    bool vorhanden(const QString& programm) const override { return vorhandeneProgramme.contains(programm); }

    QStringList vorhandeneProgramme{"usbmuxd"};

    Ergebnis<Werkzeugergebnis> ausfuehren(const QString& name, const QStringList& argumente, const Abbruch&,
                                          const std::optional<Kopie>& kopie) const override {
        QString aufruf = name, verzeichnis;
        for (const QString& argument : argumente) {
            if (QFileInfo(argument).isDir())
                verzeichnis = argument;
            aufruf += ' ' + (QFileInfo(argument).isDir() ? "DIR" : argument);
        }
        m_aufrufe.append(aufruf);
        auto [antwort, dabei] = m_antworten.value(aufruf, {Werkzeugergebnis{}, {}});
        if (dabei)
            dabei(verzeichnis);
        // A copy hears both streams in pieces of 7 bytes: lines arrive split across reads.
        for (qsizetype i = 0; kopie && kopie->gelesen && antwort &&
                              i < std::max(antwort->ausgabe.size(), antwort->fehlerausgabe.size());
             i += 7) {
            kopie->gelesen(antwort->ausgabe.mid(i, 7), false);
            kopie->gelesen(antwort->fehlerausgabe.mid(i, 7), true);
        }
        if (kopie && antwort) // as the runner keeps it
            antwort->ausgabe.truncate(fortschrittBehalten);
        return antwort;
    }

private:
    QMap<QString, std::pair<Ergebnis<Werkzeugergebnis>, std::function<void(const QString&)>>> m_antworten;
    mutable QStringList m_aufrufe;
};

} // namespace kabel::test
