#!/usr/bin/env bash
# Installs what is missing, then builds and tests, under one virtual display:
#  - on this machine's Wine 8 (Debian 12's), every variant the machine can run, each in its
#    own build tree and prefix: the 32-bit program and then the 64-bit variant where the
#    machine runs 32-bit code, else the 64-bit variant alone;
#  - on Debian 13's Wine 10, in a root that scripts/wine10.sh makes once per machine, the
#    first of those variants (the 32-bit program wherever it can run).
# JVCC_ARCH=i686 or x86_64 limits the run to one variant, JVCC_PLATFORM=wine8 or wine10 to
# one platform. Safe to run again.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bash "$here/install-deps.sh"
source "$here/xvfb.sh"
trap 'stop_virtual_display' EXIT

if /usr/lib/wine/wine --version >/dev/null 2>&1; then runs32=yes first=i686; else runs32=no first=x86_64; fi
# Asked once; every script below takes it from here.
export JVCC_RUNS_32BIT=$runs32
if [ -n "${JVCC_ARCH:-}" ]; then variants=("$JVCC_ARCH")
elif [ "$runs32" = yes ]; then variants=(i686 x86_64)
else variants=(x86_64); fi
platforms=(${JVCC_PLATFORM:-wine8 wine10})

describe() {  # VARIANT PLATFORM
  case $1 in i686) printf 'the 32-bit program (i686)' ;; *) printf 'the 64-bit variant (x86_64)' ;; esac
  case $2 in wine8) echo " under Wine 8 (this machine's)" ;; *) echo " under Wine 10 (Debian 13's, in a root)" ;; esac
}
status=0 summary=()
record() {  # STATUS VARIANT PLATFORM
  if [ "$1" = 0 ]; then summary+=("passed: $(describe "$2" "$3")")
  else summary+=("FAILED: $(describe "$2" "$3")"); status=1; fi
}
# The runs, as "VARIANT PLATFORM". The 64-bit variant's own faults are in how it is built,
# which Wine 8 shows; on Wine 10 it runs where it is the only variant the machine can run.
runs=()
for platform in "${platforms[@]}"; do
  case $platform in wine8 | wine10) ;; *) echo "JVCC_PLATFORM: wine8 or wine10, not $platform" >&2; exit 2 ;; esac
  for variant in "${variants[@]}"; do
    if [ "$platform" = wine10 ] && [ "$variant" != "$first" ] && [ "${JVCC_PLATFORM:-}" != wine10 ]; then continue; fi
    runs+=("$variant $platform")
  done
done
for run in "${runs[@]}"; do
  read -r variant platform <<<"$run"
  echo; echo "=== Testing $(describe "$variant" "$platform") ==="
  launcher=()
  if [ "$platform" = wine10 ]; then
    launcher=(env JVCC_WINE10_BIND="$(cd "$here/.." && pwd)/build" bash "$here/wine10.sh" session)
  fi
  result=0
  "${launcher[@]}" env -u JVCC_BUILD -u WINEPREFIX -u WINEARCH -u WINELOADER JVCC_ARCH="$variant" \
    JVCC_PLATFORM="$platform" bash "$here/test-variant.sh" || result=$?
  record "$result" "$variant" "$platform"
done

echo
echo "Tested: ${#summary[@]}"
for line in "${summary[@]}"; do echo "  $line"; done
if [ "$runs32" = no ] && [ -z "${JVCC_ARCH:-}" ]; then
  echo "  not run: the shipped 32-bit program, built as build/i686/bin/JVCacheClean.exe;"
  echo "    this machine's kernel refuses 32-bit code"
fi
exit $status
