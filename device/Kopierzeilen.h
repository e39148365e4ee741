#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace kabel {

// What a crash-report copy says about its own completeness, read from both its streams as they
// arrive, a line split across reads included. Unvollständig: it skipped a panic file or one it cut
// short, or could not read a directory. Übersprungen: it skipped another file, as it does for
// every file once the phone has gone (and then still ends with "Done." and status 0).
class Kopierzeilen {
public:
    void lesen(QByteArrayView stueck, bool fehlerausgabe);
    // Reads what is left of an unfinished last line; call once the tool has ended.
    void abschliessen();

    bool unvollstaendig() const { return m_unvollstaendig; }
    bool uebersprungen() const { return m_uebersprungen; }

private:
    void zeile(QByteArrayView zeile);

    QByteArray m_rest[2]; // the unfinished line of stdout and of stderr
    bool m_unvollstaendig = false, m_uebersprungen = false;
};

} // namespace kabel
