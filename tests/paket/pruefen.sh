#!/usr/bin/env bash
# Checks a built Debian package for what an install must bring: the app, the desktop entry that
# makes it the handler of sondit-kabel:// links, the icon, the links to the device tools, Debian's
# documents and the dependencies. Stops at the first fault.
# Usage: tests/paket/pruefen.sh build/paket/sondit-kabel_<version>_amd64.deb
set -euo pipefail

fehler() { echo "pruefen.sh: $*" >&2; exit 1; }

[ $# -eq 1 ] || fehler "usage: pruefen.sh DEB"
deb=$1
inhalt=$(dpkg-deb -c "$deb") || fehler "$deb is not a readable Debian package"

# Mode and link target of one path from the listing ("mode" or "mode target").
eintrag() { awk -v p="./$1" '$6 == p { print $1, $8 }' <<<"$inhalt"; }

[[ $(eintrag usr/bin/sondit-kabel) == -rwx* ]] || fehler "no executable /usr/bin/sondit-kabel"
for datei in usr/share/applications/sondit-kabel.desktop \
             usr/share/icons/hicolor/scalable/apps/sondit-kabel.svg \
             usr/share/doc/sondit-kabel/copyright \
             usr/share/doc/sondit-kabel/changelog.Debian.gz; do
  [[ $(eintrag "$datei") == -* ]] || fehler "no file /$datei"
done

# A browser finds the app only through these two lines.
eintrag=$(dpkg-deb --fsys-tarfile "$deb" | tar -xOf - ./usr/share/applications/sondit-kabel.desktop)
grep -qx 'MimeType=x-scheme-handler/sondit-kabel;' <<<"$eintrag" ||
  fehler "the desktop entry does not claim x-scheme-handler/sondit-kabel"
grep -qE '^Exec=sondit-kabel %[uU]$' <<<"$eintrag" || fehler "the desktop entry does not pass the link on"

# The tools come from libimobiledevice-utils, so the links must reach /usr/bin whatever the build
# machine had; relative and absolute targets are both fine.
verzeichnis=/usr/share/sondit-kabel/bin
for werkzeug in idevice_id idevicepair ideviceinfo idevicediagnostics idevicecrashreport; do
  read -r modus ziel <<<"$(eintrag "${verzeichnis#/}/$werkzeug")"
  [[ ${modus:-} == l* ]] || fehler "no link $verzeichnis/$werkzeug"
  [[ $ziel == /* ]] || ziel=$(realpath -ms "$verzeichnis/$ziel")
  [ "$ziel" = "/usr/bin/$werkzeug" ] || fehler "$verzeichnis/$werkzeug points to $ziel, not /usr/bin/$werkzeug"
done

abhaengig=$(dpkg-deb -f "$deb" Depends | sed 's/[,|]/\n/g' | awk '{ print $1 }')
for paket in libimobiledevice-utils usbmuxd libqt6widgets6; do
  grep -qx "$paket" <<<"$abhaengig" || fehler "Depends lacks $paket: $(dpkg-deb -f "$deb" Depends)"
done
echo "pruefen.sh: $deb is complete"
