#!/bin/sh
# Installs the build into a temporary prefix and runs both programs from
# there, so that a program which only works inside the build tree, or a file
# the package would leave out, shows up before a user installs it.
# Usage: install_test.sh CMAKE BUILD_DIR
set -u
cmake=$1
build=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
. "$(dirname "$0")/checks.sh"

prefix="$work/prefix"
"$cmake" --install "$build" --prefix "$prefix" > /dev/null || { echo "FAILED: cmake --install"; exit 1; }
share="$prefix/share"

check "desktop entry" test -s "$share/applications/twinsift.desktop"
check "metainfo" test -s "$share/metainfo/io.github.twinsift.Twinsift.metainfo.xml"
for size in 16 32 48 64 128 256; do
    check "${size}px icon" test -s "$share/icons/hicolor/${size}x${size}/apps/twinsift.png"
done
check "scalable icon" test -s "$share/icons/hicolor/scalable/apps/twinsift.svg"
check "licence" test -s "$share/doc/twinsift/copyright"
# help2man writes a SYNOPSIS only from a --help that starts with "Usage:".
page() { gzip -dc "$share/man/man1/$1.1.gz"; }
names() { page "$1" | grep -qF "$1 \\- find duplicate files" && page "$1" | grep -q '^\.SH SYNOPSIS'; }
check "twinsift manual page" names twinsift
check "twinsift-cli manual page" names twinsift-cli

mkdir -p "$work/tree/sub"
echo same > "$work/tree/a"
echo same > "$work/tree/sub/b"
echo other > "$work/tree/c"
"$prefix/bin/twinsift-cli" "$work/tree" > "$work/out" 2> /dev/null
check "installed twinsift-cli exits 0" test $? -eq 0
printf '%s\n' "$work/tree/a" "$work/tree/sub/b" "" > "$work/expected"
check "installed twinsift-cli finds the pair" cmp -s "$work/out" "$work/expected"

"$prefix/bin/twinsift" --version > "$work/version"
check "installed twinsift --version" grep -q '^twinsift [0-9]' "$work/version"

# The desktop program looks its files up relative to its own executable; the
# system calls show where it found them. A fresh data folder keeps a user's
# own copies out of the look-up. The help pages are looked up last, after
# the icons, so the program is ended once they are found.
# The trace file may not be there yet while the program starts.
found() { grep -qs "\"$prefix/bin/../share/twinsift/$1\".* = [0-9]" "$work/trace"; }
# Stopping only at the traced calls keeps a loaded machine from slowing the
# start-up past the wait below.
XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work" \
QT_QPA_PLATFORM=offscreen strace --seccomp-bpf -f -e trace=newfstatat,stat -o "$work/trace" \
    timeout 60 "$prefix/bin/twinsift" > /dev/null 2>&1 &
i=0
while [ $i -lt 600 ] && ! found help/index.html; do
    sleep 0.1
    i=$((i + 1))
done
program=$(grep -m1 "share/twinsift/help/index.html\".* = 0" "$work/trace" | cut -d' ' -f1)
[ -n "$program" ] && kill "$program"
wait
check "desktop program finds its help pages" found help/index.html
check "desktop program finds its icons" found icons/twinsift.png

[ "$failures" -eq 0 ] && echo "installed programs run from $prefix"
exit "$failures"
