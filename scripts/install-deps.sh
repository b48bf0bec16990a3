#!/usr/bin/env bash
# Installs every Debian package that building, testing and running Parlavox needs.
# Idempotent: when everything is present it only checks and returns at once.
set -euo pipefail

packages=(
  # tool chain
  g++ make cmake ninja-build pkg-config git
  # libraries
  libwxgtk3.2-dev libssl-dev openssl
  libboost-thread-dev libboost-regex-dev libboost-serialization-dev libboost-system-dev
  libcurl4-openssl-dev asn1c libpulse-dev
  # tests
  googletest libgtest-dev libgmock-dev xvfb xauth x11-xserver-utils fonts-dejavu-core libx11-dev libxtst-dev
  curl procps desktop-file-utils
  # a real window manager and a real tray host, for the tests of stacking, focus and the tray
  xfwm4 trayer dbus-daemon dbus-bin
  # a real sound server with a silent sink, for the notification sounds' test
  pulseaudio pulseaudio-utils
  # a real browser for the extension listener's end-to-end test
  chromium
  # fuzzing and sanitizers with clang
  clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$p")
  fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

echo "install-deps: installing ${missing[*]}"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
