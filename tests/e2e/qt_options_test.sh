#!/bin/sh
# Qt's own options are Qt's: "-style Fusion" or "-platform xcb" must not be
# opened as a session, which would put a "File Not Found" box over the main
# window. A session that is really missing shows that the box is seen.
# Usage: qt_options_test.sh TWINSIFT VERSION
set -eu
program=$1
version=$2

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
mkdir -p "$home/config/Twinsift"
printf '[Options]\nShow%%20Tips%%20at%%20Startup=0\n' >"$home/config/Twinsift/Twinsift.conf"

XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" XDG_RUNTIME_DIR="$home" \
QT_QPA_PLATFORM=xcb LSAN_OPTIONS="${LSAN_OPTIONS:-}:detect_leaks=0" \
xvfb-run -a -s "-screen 0 1280x900x24" sh -c '
    program=$1
    title="Twinsift v$2"
    shown() { xwininfo -root -tree | grep -qF "\"$1\""; }
    # Up to 10 s; a session given on the command line is looked for at start-up.
    appears() {
        i=0
        while [ $i -lt 100 ]; do
            shown "$1" && return 0
            sleep 0.1
            i=$((i + 1))
        done
        return 1
    }
    # expected box ("yes" or "no"), then the arguments
    starts() {
        expected=$1
        shift
        "$@" &
        pid=$!
        result=0
        if ! appears "$title"; then
            echo "no window titled \"$title\" appeared for: $*"
            result=1
        elif appears "File Not Found"; then
            [ "$expected" = yes ] || { echo "an option of Qt was taken for a session: $*"; result=1; }
        else
            [ "$expected" = no ] || { echo "no \"File Not Found\" box for: $*"; result=1; }
        fi
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null || true
        return $result
    }
    status=0
    starts yes "$program" "$3" || status=1
    starts no "$program" -style Fusion || status=1
    starts no env -u QT_QPA_PLATFORM "$program" -platform xcb || status=1
    exit $status
' sh "$program" "$version" "$home/missing.tsf"
echo "Qt options left to Qt"
