#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace kabel {

// What a crash-report copy says of its completeness, read from both streams as they arrive (a
// line split across reads included). Unvollständig: it skipped or cut short a panic file, or could
// not read a directory. Übersprungen: it skipped another file, as it does for every file once the
// phone has gone (ending with "Done." and status 0 all the same).
class Kopierzeilen {
public:
    void lesen(QByteArrayView stueck, bool fehlerausgabe);
    void abschliessen(); // once the tool has ended: its unfinished last lines

    bool unvollstaendig() const { return m_unvollstaendig; }
    bool uebersprungen() const { return m_uebersprungen; }

private:
    void zeile(QByteArrayView zeile);

    QByteArray m_rest[2]; // the unfinished line of stdout and of stderr
    bool m_unvollstaendig = false, m_uebersprungen = false;
};

} // namespace kabel
