#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those missing.
# Usage: install-deps.sh [--demo]
#   --demo  only what the main job needs: the native build and 64-bit Wine.
# 32-bit Wine (wine32:i386) is wanted by the x86 Windows tests only: when it cannot be installed
# (an i386 index out of step with its mirror, a held package) this says so and succeeds, and
# scripts/wine-env.sh then runs everything with the 64-bit loader.
set -euo pipefail
demo=0
[ "${1:-}" = --demo ] && demo=1
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
need=() want32=0
# The native preset configures its tests too, so even the demo needs GoogleTest's headers; make,
# which CMake only recommends, runs the build.
base=(cmake make g++ libgtest-dev wine wine64)
# clang and its runtime (libFuzzer, the sanitizers) build the fuzz preset; Debian 12's clang is
# version 14. Wine's own "MS Sans Serif" and Tahoma (fonts-wine): without them the dialogs fall
# back to a wider font and their texts are clipped.
# The package tests: CPack's Debian generator finds the programs' runtime packages with file and
# dpkg-shlibdeps (dpkg-dev); zip and unzip for the Windows zips; man checks the manual pages.
full=(googletest g++-mingw-w64-x86-64 g++-mingw-w64-i686 xvfb xdotool imagemagick
      clang libclang-rt-14-dev fonts-wine file dpkg-dev zip unzip man-db)
pkgs=("${base[@]}")
[ "$demo" = 1 ] || pkgs+=("${full[@]}")
for p in "${pkgs[@]}"; do have "$p" || need+=("$p"); done
[ "$demo" = 0 ] && ! have wine32:i386 && want32=1
[ ${#need[@]} -eq 0 ] && [ "$want32" = 0 ] && exit 0

SUDO=
[ "$(id -u)" -ne 0 ] && SUDO=sudo
if [ "$want32" = 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
# One index that fails to download (a mirror mid-sync) is retried once; when it still fails the
# packages may install from the other indexes all the same, so it is a warning here and only a
# package that then cannot be installed is a failure.
update() {
  $SUDO apt-get update -qq >/tmp/tsl-apt-update.$$ 2>&1 && ! grep -q '^[EW]: ' /tmp/tsl-apt-update.$$
}
if ! update; then
  sleep 5
  if ! update; then
    echo "install-deps: warning: 'apt-get update' reported:" >&2
    grep -E '^[EW]: ' /tmp/tsl-apt-update.$$ | head -n 5 | sed 's/^/  /' >&2
  fi
fi
rm -f /tmp/tsl-apt-update.$$
install() { DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "$@"; }
if [ ${#need[@]} -gt 0 ]; then
  echo "Installing: ${need[*]}"
  if ! install "${need[@]}" >/tmp/tsl-apt-install.$$ 2>&1; then
    tail -n 20 /tmp/tsl-apt-install.$$ >&2; rm -f /tmp/tsl-apt-install.$$
    echo "install-deps: could not install: ${need[*]}" >&2
    exit 1
  fi
  rm -f /tmp/tsl-apt-install.$$
fi
if [ "$want32" = 1 ]; then
  echo "Installing: wine32:i386"
  if ! install wine32:i386 >/tmp/tsl-apt-install.$$ 2>&1; then
    echo "install-deps: warning: 32-bit Wine (wine32:i386) could not be installed; the x86" \
         "Windows tests will not be run:" >&2
    grep -E '^E: ' /tmp/tsl-apt-install.$$ | head -n 3 | sed 's/^/  /' >&2
  fi
  rm -f /tmp/tsl-apt-install.$$
fi
exit 0
