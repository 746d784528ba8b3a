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
# The platform: this machine's Wine (wine8, Debian 12's), or Debian 13's Wine 10 in the root
# that scripts/wine10.sh makes (wine10). Each has its own prefix in the build tree.
export JVCC_PLATFORM=${JVCC_PLATFORM:-wine8}
if [ "$JVCC_PLATFORM" = wine10 ]; then
  export WINEPREFIX=${WINEPREFIX:-$JVCC_BUILD/wineprefix-wine10}
else
  export WINEPREFIX=${WINEPREFIX:-$JVCC_BUILD/wineprefix}
fi
export WINEDEBUG=${WINEDEBUG:--all}
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
# Keep Wine from offering Mono and Gecko downloads, which cannot be had here.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

if [ "$JVCC_ARCH" = i686 ]; then export WINEARCH=win32; else export WINEARCH=win64; fi
if [ "$JVCC_PLATFORM" = wine10 ]; then
  # Every Wine command runs in the root, on the same paths (the root's own loader chooses
  # 32 or 64 bits); the scripts and ctest reach them by these names.
  unset WINELOADER
  mkdir -p "$JVCC_BUILD/wine10-bin"
  for command in wine wine-stable wineserver wineboot winepath; do
    printf '#!/bin/sh\nexec "%s" run %s "$@"\n' "$JVCC_ROOT/scripts/wine10.sh" "$command" \
      > "$JVCC_BUILD/wine10-bin/$command"
    chmod +x "$JVCC_BUILD/wine10-bin/$command"
  done
  JVCC_WINE=$JVCC_BUILD/wine10-bin/wine
  case ":$PATH:" in *":$JVCC_BUILD/wine10-bin:"*) ;; *) export PATH="$JVCC_BUILD/wine10-bin:$PATH" ;; esac
elif [ "$JVCC_ARCH" = i686 ]; then
  JVCC_WINE=$(command -v wine || echo /usr/bin/wine)
else
  export WINELOADER=/usr/lib/wine/wine64
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
