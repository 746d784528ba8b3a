# Sourced: the build tree of one variant and its private Wine prefix, Japanese ANSI code
# page 932.
#
# The program is 32-bit. Some machines cannot execute 32-bit Linux code at all (their kernel
# refuses it), and so cannot run Wine's 32-bit side: there the same sources are built for
# 64-bit Windows and tested under 64-bit Wine. The variant this machine tests first lives in
# build/, the other in build/<variant>. JVCC_ARCH=i686 or x86_64 chooses the variant.
JVCC_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
if [ -z "${JVCC_RUNS_32BIT:-}" ]; then
  if /usr/lib/wine/wine --version >/dev/null 2>&1; then JVCC_RUNS_32BIT=yes; else JVCC_RUNS_32BIT=no; fi
fi
export JVCC_RUNS_32BIT
if [ "$JVCC_RUNS_32BIT" = yes ]; then JVCC_FIRST_ARCH=i686; else JVCC_FIRST_ARCH=x86_64; fi
export JVCC_ARCH=${JVCC_ARCH:-$JVCC_FIRST_ARCH}
if [ "$JVCC_ARCH" = "$JVCC_FIRST_ARCH" ]; then
  export JVCC_BUILD=${JVCC_BUILD:-$JVCC_ROOT/build}
else
  export JVCC_BUILD=${JVCC_BUILD:-$JVCC_ROOT/build/$JVCC_ARCH}
fi
export WINEPREFIX=${WINEPREFIX:-$JVCC_BUILD/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
# Keep Wine from offering Mono and Gecko downloads, which cannot be had here.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

if [ "$JVCC_ARCH" = i686 ]; then
  export WINEARCH=win32
  JVCC_WINE=$(command -v wine || echo /usr/bin/wine)
else
  export WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64
  # Every script calls "wine" (and wineboot or winepath, which call "wine-stable"): give
  # them the 64-bit loader.
  mkdir -p "$JVCC_BUILD/wine64-bin"
  JVCC_WINE=$JVCC_BUILD/wine64-bin/wine
  printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' > "$JVCC_WINE"
  chmod +x "$JVCC_WINE"
  ln -sf wine "$JVCC_BUILD/wine64-bin/wine-stable"
  case ":$PATH:" in *":$JVCC_BUILD/wine64-bin:"*) ;; *) export PATH="$JVCC_BUILD/wine64-bin:$PATH" ;; esac
fi
export JVCC_WINE
