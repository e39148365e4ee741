#pragma once

#include <QString>
#include <QStringList>

namespace kabel {

// The private directory a panic-log fetch copies the phone's reports into:
// $TMPDIR/sondit-kabel-<UUID>, readable by this user only, removed with the object.
class Arbeitsverzeichnis {
public:
    Arbeitsverzeichnis();
    ~Arbeitsverzeichnis();
    Arbeitsverzeichnis(const Arbeitsverzeichnis&) = delete;
    Arbeitsverzeichnis& operator=(const Arbeitsverzeichnis&) = delete;

    QString pfad() const;
    // Every entry at every depth, hidden ones included; links are listed, not followed.
    QStringList eintraege() const;

private:
    QString m_pfad;
};

// Removes what an earlier run of the app left behind when it was killed: directories in TMPDIR
// named by this app's pattern and owned by this user. Links are neither followed nor removed.
// Call once this process is the only instance.
void alteArbeitsverzeichnisseEntfernen();

// Removes the directories of fetches still under way, for a process that leaves without
// unwinding (its tools killed first). Any thread.
void laufendeArbeitsverzeichnisseEntfernen();

} // namespace kabel
