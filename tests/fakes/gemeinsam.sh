# Shared part of the fake libimobiledevice tools; sourced, never run. See README.md.
# The scenario lives next to the tool directory: <dir of the called path>/../szenario/.
SZENARIO="$(dirname "$0")/../szenario"
WERKZEUG="$(basename "$0")"

# One line per call, tool name and arguments separated by tabs, written with a single write.
aufruf_protokollieren() {
    local zeile="$WERKZEUG" a
    for a in "$@"; do zeile+=$'\t'"$a"; done
    printf '%s\n' "$zeile" >>"$SZENARIO/aufrufe.log"
}

# <tool>.dauer: seconds to wait before answering (a slow or hanging phone). `read -t` waits
# inside bash itself, so killing the tool leaves no sleeping grandchild behind.
warten() {
    if [[ -f "$SZENARIO/$WERKZEUG.dauer" ]]; then
        read -r -t "$(<"$SZENARIO/$WERKZEUG.dauer")" <> <(:) || true
    fi
}

# <tool>.status overrides the exit status the tool would otherwise have.
ende() {
    if [[ -f "$SZENARIO/$WERKZEUG.status" ]]; then exit "$(<"$SZENARIO/$WERKZEUG.status")"; fi
    exit "$1"
}

ohne_usbmuxd() { [[ -e "$SZENARIO/kein-usbmuxd" ]]; }

# The attached devices: the non-empty, trimmed lines of szenario/geraete.
angeschlossen() {
    local udid="$1" zeile
    ohne_usbmuxd && return 1
    [[ -f "$SZENARIO/geraete" ]] || return 1
    while IFS= read -r zeile || [[ -n "$zeile" ]]; do
        zeile="${zeile%$'\r'}"
        zeile="${zeile#"${zeile%%[![:space:]]*}"}"
        zeile="${zeile%"${zeile##*[![:space:]]}"}"
        [[ -n "$zeile" && ( -z "$udid" || "$zeile" == "$udid" ) ]] && return 0
    done <"$SZENARIO/geraete"
    return 1
}

# The first attached device, for a call without -u.
erstes_geraet() {
    local zeile
    [[ -f "$SZENARIO/geraete" ]] || return 0
    while IFS= read -r zeile; do
        zeile="${zeile#"${zeile%%[![:space:]]*}"}"
        zeile="${zeile%"${zeile##*[![:space:]]}"}"
        [[ -n "$zeile" ]] && { printf '%s' "$zeile"; return 0; }
    done <"$SZENARIO/geraete"
}

vertraut() { [[ -e "$SZENARIO/vertraut/$1" ]]; }

# How an untrusted phone answers: szenario/kopplung holds ausstehend (default), abgelehnt,
# code or veraltet (the host has a record the phone no longer accepts).
kopplungsantwort() {
    local a=ausstehend
    [[ -f "$SZENARIO/kopplung" ]] && a="$(<"$SZENARIO/kopplung")"
    printf '%s' "$a"
}

# Lockdown error code of the handshake for an untrusted phone.
lockdown_code() {
    case "$(kopplungsantwort)" in
        abgelehnt) echo -18 ;;
        code) echo -17 ;;
        veraltet) echo -21 ;;
        *) echo -19 ;;
    esac
}

lockdown_text() {
    case "$(kopplungsantwort)" in
        abgelehnt) echo "User denied pairing (-18)" ;;
        code) echo "Password protected (-17)" ;;
        veraltet) echo "Invalid HostID (-21)" ;;
        *) echo "Pairing dialog response pending (-19)" ;;
    esac
}
