#!/usr/bin/env bash
# Installs what is missing, builds, prepares the Wine prefix and runs every test under a
# virtual display. Safe to run again.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bash "$here/install-deps.sh"
bash "$here/build.sh"
source "$here/wine-env.sh"
source "$here/xvfb.sh"
# A Wine server left from an earlier run may be tied to a display that is gone.
wineserver -k 2>/dev/null || true
# Nothing of Wine or Xvfb outlives the run.
trap 'wineserver -k 2>/dev/null || true; stop_virtual_display' EXIT
bash "$here/prepare-prefix.sh" tests
cd "$JVCC_BUILD"
ctest --output-on-failure </dev/null
