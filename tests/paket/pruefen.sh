#!/usr/bin/env bash
# Checks a built Debian package for what an install must bring: the app, the desktop entry that
# makes it the handler of sondit-kabel:// links, the icon, links to the device tools in /usr/bin,
# Debian's documents, the AppStream metadata, the dependencies and the version of this machine's
# Debian release; then lintian, appstreamcli and desktop-file-validate, which must have nothing to
# say. Stops at the first fault.
set -euo pipefail
deb=${1:?usage: tests/paket/pruefen.sh build/paket/sondit-kabel_VERSION_amd64.deb}
inhalt=$(dpkg-deb -c "$deb")
desktop=$(dpkg-deb --fsys-tarfile "$deb" | tar -xOf - ./usr/share/applications/sondit-kabel.desktop)
abhaengig=$(dpkg-deb -f "$deb" Depends | sed 's/[,|]/\n/g' | awk '{ print $1 }')
# An extended regex ($2) must match a line of a text ($1), or the check fails saying $3.
pruefen() { grep -qE "$2" <<<"$1" || { echo "pruefen.sh: $3" >&2; exit 1; }; }

pruefen "$inhalt" '^-rwx.* \./usr/bin/sondit-kabel$' "no executable /usr/bin/sondit-kabel"
# Debian's documents are lintian's to find; the desktop entry and the metadata are read below.
pruefen "$inhalt" '^-.* \./usr/share/icons/hicolor/scalable/apps/sondit-kabel\.svg$' "no icon in the package"
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
# Built here, so for this machine's release.
version=$(dpkg-deb -f "$deb" Version)
release=$(. /etc/os-release && echo "$VERSION_ID")
pruefen "$version" "^[0-9]+(\.[0-9]+)*\+deb$release\$" "version $version lacks the suffix +deb$release of this release"

# Debian's checkers must pass and say nothing: warnings and pedantic notes count as faults. A checker
# ($2 …) may print only lines matching $1, or empty ones.
still() {
  local erlaubt=$1 befund
  shift
  befund=$("$@" 2>&1) && ! grep -qvxE -e '' -e "$erlaubt" <<<"$befund" ||
    { echo "pruefen.sh: $1: $befund" >&2; exit 1; }
}
auspacken=$(mktemp -d)
trap 'rm -rf "$auspacken"' EXIT
dpkg-deb -x "$deb" "$auspacken"
metainfo=$(<"$auspacken/usr/share/metainfo/de.sondit.kabel.metainfo.xml")
# What appstreamcli lets pass without, but a software centre needs to show and start the app.
pruefen "$metainfo" '<launchable type="desktop-id">sondit-kabel\.desktop</launchable>' \
  "the AppStream metadata does not start the package's desktop entry"
pruefen "$metainfo" '<screenshot type="default">' "the AppStream metadata has no screenshot"
pruefen "$metainfo" '<project_license>.+</project_license>' "the AppStream metadata names no licence"
still 'running with root privileges is not recommended!' lintian --fail-on error,warning "$deb"
still '.*Validation was successful\.' appstreamcli validate --no-net --pedantic \
  "$auspacken/usr/share/metainfo/de.sondit.kabel.metainfo.xml"
still '' desktop-file-validate "$auspacken/usr/share/applications/sondit-kabel.desktop"
echo "pruefen.sh: $deb is complete and clean, version suffix +deb$release"
