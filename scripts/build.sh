#!/usr/bin/env bash
# Configures and builds the program, the stand-in and the tests into build/.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
cmake -S "$JVCC_ROOT" -B "$JVCC_BUILD" -DCMAKE_TOOLCHAIN_FILE="$JVCC_ROOT/cmake/mingw-i686.cmake" \
      -DJVCC_WINEPREFIX="$WINEPREFIX" >/dev/null
cmake --build "$JVCC_BUILD" -j"$(nproc)" -- --no-print-directory
