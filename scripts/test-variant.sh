#!/usr/bin/env bash
# Builds and tests one variant (JVCC_ARCH) in its own build tree and Wine prefix; called by
# test.sh, which installs what is missing and provides the display.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bash "$here/build.sh"
source "$here/wine-env.sh"
echo "$(wine --version 2>/dev/null) in $WINEPREFIX"
# A Wine server left from an earlier run may be tied to a display that is gone; nothing of
# this run's outlives it.
wineserver -k 2>/dev/null || true
trap 'wineserver -k 2>/dev/null || true' EXIT
bash "$here/prepare-prefix.sh" tests
cd "$JVCC_BUILD"
# The build's own release zip, which the tests unpack and run.
cpack -G ZIP >/dev/null
rm -rf test-results
status=0
ctest --output-on-failure </dev/null || status=$?
# Which tests failed and which were skipped, named after every run; a skip without a
# machine condition the README lists fails the run.
# Every program and group the build registered with ctest must have left its results.
read -r -a programs < <(tr ';' ' ' < test-results-expected.txt)
bash "$here/test-results.sh" test-results "${programs[@]}" || status=1
exit $status
