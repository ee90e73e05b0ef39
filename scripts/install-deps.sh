#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those missing.
set -euo pipefail
need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
# clang and its runtime (libFuzzer, the sanitizers) build the fuzz preset; Debian 12's clang is
# version 14.
for p in cmake g++ googletest libgtest-dev wine wine64 wine32:i386 g++-mingw-w64-x86-64 g++-mingw-w64-i686 \
         xvfb xdotool imagemagick clang libclang-rt-14-dev; do
  have "$p" || need+=("$p")
done
# Wine's own "MS Sans Serif" and Tahoma: without them the dialogs fall back to a wider font and
# their texts are clipped.
have fonts-wine || need+=(fonts-wine)
[ ${#need[@]} -eq 0 ] && exit 0
SUDO=
[ "$(id -u)" -ne 0 ] && SUDO=sudo
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
echo "Installing: ${need[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
