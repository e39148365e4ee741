#pragma once

#include <QString>

namespace kabel {

// The name of the private directory a panic-log fetch copies the phone's reports into, as a
// QTemporaryDir template: $TMPDIR/sondit-kabel- and a random part of 16 letters.
QString arbeitsverzeichnisVorlage();

// Removes what an earlier run of the app left behind when it was killed: directories in TMPDIR
// named exactly by that template and owned by this user. Links are neither followed nor removed.
// Call once this process is the only instance.
void alteArbeitsverzeichnisseEntfernen();

} // namespace kabel
