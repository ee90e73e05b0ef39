#!/usr/bin/env bash
# The Debian package: built by CPack, depending on the C and C++ runtimes only, installed with
# dpkg into a scratch root, its programs run, removed without a trace.
# Usage: deb_test.sh BUILD_DIR VERSION   (TSL_TEST_PREFIX: a prefix of make-prefix.sh)
set -uo pipefail
build=${1:?usage: deb_test.sh BUILD_DIR VERSION}
version=${2:?usage: deb_test.sh BUILD_DIR VERSION}
source "$(dirname "$0")/installed_checks.sh"
scratch deb

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/pkg" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/pkg/*.deb) || exit 1
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version $(dpkg-deb -f "$deb" Version)"
# Depends: the runtimes of C and C++ and nothing else.
while read -r dep; do
  case $dep in
    libc6|libstdc++6|libgcc-s1) ;;
    *) fail "depends on $dep" ;;
  esac
done < <(dpkg-deb -f "$deb" Depends | tr ',|' '\n\n' | sed -E 's/^ *//; s/[ (].*//' | sed '/^$/d')

# A scratch root with an empty package database: the machine's own stays untouched. The
# runtimes it depends on live outside that root, hence --force-depends.
r=$work/root
mkdir -p "$r/var/lib/dpkg/info" "$r/var/lib/dpkg/updates"
touch "$r/var/lib/dpkg/status"
dpkg --root="$r" --force-depends --force-not-root -i "$deb" >"$work/dpkg.log" 2>&1 ||
  { cat "$work/dpkg.log"; exit 1; }
check_installed "$r/usr"
dpkg --root="$r" --force-not-root -r "$(dpkg-deb -f "$deb" Package)" >>"$work/dpkg.log" 2>&1 ||
  fail "dpkg -r failed: $(cat "$work/dpkg.log")"
left=$(cd "$r" && find . -mindepth 1 -not -path './var/lib/dpkg' -not -path './var/lib/dpkg/*' \
       -not -path ./var/lib -not -path ./var)
[ -z "$left" ] || fail "left behind after removal:"$'\n'"$left"
[ "$failures" = 0 ] && echo "deb_test: passed"
exit $((failures > 0))
