#!/usr/bin/env bash
# cmake --install into a scratch prefix; the installed programs run from another folder and
# carry no path into the source or build tree.
# Usage: install_test.sh BUILD_DIR VERSION   (TSL_TEST_PREFIX: a prefix of make-prefix.sh)
set -uo pipefail
build=${1:?usage: install_test.sh BUILD_DIR VERSION}
version=${2:?usage: install_test.sh BUILD_DIR VERSION}
source "$(dirname "$0")/installed_checks.sh"
scratch install

# --strip, as a package does: what is left is what the programs themselves hold.
cmake --install "$build" --prefix "$work/usr" --strip >"$work/install.log" ||
  { cat "$work/install.log"; exit 1; }
check_installed "$work/usr"
for prog in tslkt-integrate tslkt-skinwizard; do
  ! grep -qF -e "$root" -e "$build" "$work/usr/bin/$prog" ||
    fail "$prog holds a path into the source or build tree"
done
[ "$failures" = 0 ] && echo "install_test: passed"
exit $((failures > 0))
