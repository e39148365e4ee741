#!/usr/bin/env bash
# Checks a built Debian package for what an install must bring: the app, the desktop entry that
# makes it the handler of sondit-kabel:// links, the icon, links to the device tools in /usr/bin,
# Debian's documents and the dependencies. Stops at the first fault.
set -euo pipefail
deb=${1:?usage: tests/paket/pruefen.sh build/paket/sondit-kabel_VERSION_amd64.deb}
inhalt=$(dpkg-deb -c "$deb")
desktop=$(dpkg-deb --fsys-tarfile "$deb" | tar -xOf - ./usr/share/applications/sondit-kabel.desktop)
abhaengig=$(dpkg-deb -f "$deb" Depends | sed 's/[,|]/\n/g' | awk '{ print $1 }')
# An extended regex ($2) must match a line of a text ($1), or the check fails saying $3.
pruefen() { grep -qE "$2" <<<"$1" || { echo "pruefen.sh: $3" >&2; exit 1; }; }

pruefen "$inhalt" '^-rwx.* \./usr/bin/sondit-kabel$' "no executable /usr/bin/sondit-kabel"
for datei in applications/sondit-kabel.desktop icons/hicolor/scalable/apps/sondit-kabel.svg \
             doc/sondit-kabel/copyright doc/sondit-kabel/changelog.Debian.gz; do
  pruefen "$inhalt" "^-.* \./usr/share/$datei\$" "no file /usr/share/$datei"
done
# The tools come from libimobiledevice-utils, so the links must reach /usr/bin whatever the build
# machine had.
for werkzeug in idevice_id idevicepair ideviceinfo idevicediagnostics idevicecrashreport; do
  pruefen "$inhalt" "^l.* \./usr/share/sondit-kabel/bin/$werkzeug -> (\.\./\.\./\.\./bin|/usr/bin)/$werkzeug\$" \
    "no link from /usr/share/sondit-kabel/bin/$werkzeug to /usr/bin/$werkzeug"
done
# A browser finds the app only through these two lines.
pruefen "$desktop" '^MimeType=x-scheme-handler/sondit-kabel;$' "the desktop entry does not claim sondit-kabel links"
pruefen "$desktop" '^Exec=sondit-kabel %[uU]$' "the desktop entry does not pass the link on"
for paket in libimobiledevice-utils usbmuxd libqt6widgets6; do
  pruefen "$abhaengig" "^$paket\$" "Depends lacks $paket"
done
echo "pruefen.sh: $deb is complete"
