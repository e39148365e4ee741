#pragma once

#include "device/Werkzeuglaeufer.h"

#include <QMap>
#include <functional>

namespace kabel::test {

// A tool runner answering as the test set, recording each call as name and arguments joined by blanks,
// a copy's directory left out. Unanswered calls print nothing and end with 0. Used from one thread.
class FakeLaeufer final : public Werkzeuglaeufer {
public:
    // `dabei` runs during a copy with its directory, as the tool writes there.
    void antworten(const QString& aufruf, const Ergebnis<Werkzeugergebnis>& antwort,
                   const std::function<void(const QString&)>& dabei = {}) {
        m_antworten.insert(aufruf, {antwort, dabei});
    }
    QStringList aufrufe() const { return m_aufrufe; }
    bool vorhanden(const QString& programm) const override { return vorhandeneProgramme.contains(programm); }

    QStringList vorhandeneProgramme{"usbmuxd"};

    Ergebnis<Werkzeugergebnis> ausfuehren(const QString& name, const QStringList& argumente, const Abbruch&,
                                          const std::optional<Kopie>& kopie) const override {
        QStringList teile = QStringList{name} + argumente;
        if (kopie)
            teile.removeAll(kopie->verzeichnis);
        m_aufrufe.append(teile.join(' '));
        auto [antwort, dabei] = m_antworten.value(m_aufrufe.last(), {Werkzeugergebnis{}, {}});
        if (dabei && kopie)
            dabei(kopie->verzeichnis);
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
