#!/usr/bin/env bash
# Installs what is missing, then builds and tests every variant this machine can run, each
# in its own build tree and Wine prefix, under one virtual display: the 32-bit program and
# then the 64-bit variant where the machine runs 32-bit code, else the 64-bit variant alone.
# JVCC_ARCH=i686 or x86_64 limits the run to one variant. Safe to run again.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bash "$here/install-deps.sh"
source "$here/xvfb.sh"
trap 'stop_virtual_display' EXIT

if /usr/lib/wine/wine --version >/dev/null 2>&1; then runs32=yes; else runs32=no; fi
if [ -n "${JVCC_ARCH:-}" ]; then variants=("$JVCC_ARCH")
elif [ "$runs32" = yes ]; then variants=(i686 x86_64)
else variants=(x86_64); fi

describe() {
  case $1 in
    i686) echo "the 32-bit program (i686) under Wine $(wine --version 2>/dev/null | sed 's/^wine-//')" ;;
    *) echo "the 64-bit variant (x86_64) under Wine $(/usr/lib/wine/wine64 --version 2>/dev/null | sed 's/^wine-//')" ;;
  esac
}
status=0 summary=()
for variant in "${variants[@]}"; do
  echo
  echo "=== Testing $(describe "$variant") ==="
  if (unset JVCC_BUILD WINEPREFIX WINEARCH WINELOADER; JVCC_ARCH=$variant JVCC_RUNS_32BIT=$runs32 \
      bash "$here/test-variant.sh"); then
    summary+=("passed: $(describe "$variant")")
  else
    summary+=("FAILED: $(describe "$variant")")
    status=1
  fi
done

echo
echo "Variants tested: ${#summary[@]}"
for line in "${summary[@]}"; do echo "  $line"; done
if [ "$runs32" = no ] && [ -z "${JVCC_ARCH:-}" ]; then
  echo "  not run: the shipped 32-bit program, built as build/i686/bin/JVCacheClean.exe;"
  echo "    this machine's kernel refuses 32-bit code"
fi
exit $status
