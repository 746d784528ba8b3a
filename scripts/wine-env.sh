# Sourced: the build tree and its private Wine prefix, Japanese ANSI code page 932.
JVCC_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export JVCC_BUILD=${JVCC_BUILD:-$JVCC_ROOT/build}
export WINEPREFIX=${WINEPREFIX:-$JVCC_BUILD/wineprefix}
export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
# Keep Wine from offering Mono and Gecko downloads, which cannot be had here.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
