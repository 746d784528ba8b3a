#!/usr/bin/env bash
# Configures and builds the program, the stand-in and the tests of one variant (JVCC_ARCH,
# by default the one this machine's Wine runs first) into its build tree; on a machine
# without 32-bit Wine, also the 32-bit program alone into build/i686, so that what users get
# is always compiled.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
cmake -S "$JVCC_ROOT" -B "$JVCC_BUILD" -DCMAKE_TOOLCHAIN_FILE="$JVCC_ROOT/cmake/mingw-$JVCC_ARCH.cmake" \
      -DJVCC_WINEPREFIX="$WINEPREFIX" -DJVCC_WINE="$JVCC_WINE" -DJVCC_WINEARCH="$WINEARCH" \
      -DJVCC_WINESERVER="$(command -v wineserver || echo wineserver)" >/dev/null
cmake --build "$JVCC_BUILD" -j"$(nproc)" -- --no-print-directory
if [ "$JVCC_RUNS_32BIT" = no ] && [ "$JVCC_ARCH" != i686 ]; then
  cmake -S "$JVCC_ROOT" -B "$JVCC_ROOT/build/i686" -DCMAKE_TOOLCHAIN_FILE="$JVCC_ROOT/cmake/mingw-i686.cmake" \
        -DBUILD_TESTING=OFF >/dev/null
  cmake --build "$JVCC_ROOT/build/i686" --target JVCacheClean -j"$(nproc)" -- --no-print-directory
fi
