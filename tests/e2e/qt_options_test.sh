#!/bin/sh
# Qt's own options are Qt's: "-style Fusion" must not be opened as a session,
# which would put a "File Not Found" box over the main window.
# Usage: qt_options_test.sh TWINSIFT
set -eu
program=$1

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
mkdir -p "$home/config/Twinsift"
printf '[Options]\nShow%%20Tips%%20at%%20Startup=0\n' >"$home/config/Twinsift/Twinsift.conf"

XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" XDG_RUNTIME_DIR="$home" \
QT_QPA_PLATFORM=xcb LSAN_OPTIONS="${LSAN_OPTIONS:-}:detect_leaks=0" \
xvfb-run -a -s "-screen 0 1280x900x24" sh -c '
    "$1" -style Fusion &
    pid=$!
    status=1
    i=0
    while [ $i -lt 300 ]; do
        if xwininfo -root -tree | grep -q "\"Twinsift v3.5.3\""; then status=0; break; fi
        sleep 0.1
        i=$((i + 1))
    done
    # Long enough for a session given on the command line to be looked for.
    sleep 2
    if xwininfo -root -tree | grep -q "\"File Not Found\""; then
        echo "an option of Qt was taken for a session"
        status=1
    fi
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null || true
    exit $status
' sh "$program"
echo "Qt options left to Qt"
