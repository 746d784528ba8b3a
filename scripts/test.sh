#!/usr/bin/env bash
# Installs what is missing, builds, prepares the Wine prefix and runs every test under a
# virtual display. Safe to run again.
set -euo pipefail
here=$(dirname "$0")
bash "$here/install-deps.sh"
bash "$here/build.sh"
bash "$here/prepare-prefix.sh"
source "$here/wine-env.sh"
source "$here/xvfb.sh"
cd "$JVCC_BUILD"
ctest --output-on-failure
