#!/usr/bin/env bash
# Installs what is missing, builds, prepares the Wine prefix and runs every test under a
# virtual display. Safe to run again.
set -euo pipefail
source "$(dirname "$0")/setup.sh"
# Nothing of Wine or Xvfb outlives the run.
trap 'wineserver -k 2>/dev/null || true; stop_virtual_display' EXIT
bash "$here/prepare-prefix.sh" tests
cd "$JVCC_BUILD"
# The build's own release zip, which the tests unpack and run.
cpack -G ZIP >/dev/null
rm -rf test-results
status=0
ctest --output-on-failure </dev/null || status=$?
# Which tests failed and which were skipped, named after every run; a skip without a
# machine condition the README lists fails the run.
bash "$here/test-results.sh" test-results unit_tests e2e_tests || status=1
exit $status
