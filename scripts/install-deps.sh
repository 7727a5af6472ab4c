#!/bin/sh
# Installs the Debian 12 packages that building, running, testing and
# packaging Twinsift need, and only those that are missing. Runs apt-get
# update once, and only when something has to be installed.
set -eu

PACKAGES="cmake g++ make pkgconf clang-format clang-tidy \
qt6-base-dev qt6-multimedia-dev libqt6opengl6-dev \
libutf8proc-dev libglib2.0-dev zlib1g-dev libxxhash-dev libgtest-dev libgmock-dev libbenchmark-dev \
xdg-utils xvfb xauth x11-utils python3 chromium \
help2man desktop-file-utils appstream strace dpkg-dev file"

missing=""
for p in $PACKAGES; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done

[ -z "$missing" ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
    SUDO=""
elif command -v sudo >/dev/null 2>&1; then
    SUDO="sudo"
else
    echo "install-deps: missing packages:$missing (run as root or install sudo)" >&2
    exit 1
fi

echo "install-deps: installing$missing"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update
# shellcheck disable=SC2086
$SUDO apt-get install -y --no-install-recommends $missing
