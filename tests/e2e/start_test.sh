#!/bin/sh
# Starts the real program on a virtual X display with a fresh settings store,
# waits for its main window, photographs the screen and closes the program.
# Usage: start_test.sh TWINSIFT SCREENSHOT_TOOL OUTPUT_PNG
set -eu
program=$1
screenshot=$2
picture=$3

home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
mkdir -p "$home/config/Twinsift"
# No tip dialog, so that the picture shows the main window alone.
printf '[Options]\nShow%%20Tips%%20at%%20Startup=0\n' >"$home/config/Twinsift/Twinsift.conf"
rm -f "$picture"
mkdir -p "$(dirname "$picture")"

XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" XDG_RUNTIME_DIR="$home" \
QT_QPA_PLATFORM=xcb LSAN_OPTIONS="${LSAN_OPTIONS:-}:detect_leaks=0" \
xvfb-run -a -s "-screen 0 1280x900x24" sh -c '
    "$1" &
    pid=$!
    found=1
    i=0
    while [ $i -lt 300 ]; do
        if xwininfo -root -tree | grep -q "\"Twinsift v3.5.3\""; then found=0; break; fi
        sleep 0.1
        i=$((i + 1))
    done
    [ $found -eq 0 ] && { sleep 2; "$2" "$3"; }
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null || true
    exit $found
' sh "$program" "$screenshot" "$picture" || { echo "no window titled \"Twinsift v3.5.3\" appeared"; exit 1; }

[ -s "$picture" ] || { echo "no screenshot in $picture"; exit 1; }
echo "main window shown; screenshot: $picture"
