#!/usr/bin/env bash
# Builds the release of the last commit twice, in two fresh clones in different folders and
# a few seconds apart, and compares the program and the zip byte for byte. Prints both
# hashes; exits 1 when they differ.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for n in 1 2; do
  git clone -q "$root" "$work/clone-$n-$RANDOM"
done
hashes=()
for clone in "$work"/clone-*; do
  JVCC_DIST="$clone/dist" bash "$clone/scripts/release.sh" >/dev/null
  zip=$(ls "$clone"/dist/*.zip)
  exe=$(unzip -p "$zip" JVCacheClean.exe | sha256sum | cut -d' ' -f1)
  whole=$(sha256sum "$zip" | cut -d' ' -f1)
  echo "$(basename "$clone"): exe $exe zip $whole"
  hashes+=("$exe $whole")
  sleep 2
done
if [ "${hashes[0]}" = "${hashes[1]}" ]; then echo "reproducible: identical"; else echo "NOT reproducible"; exit 1; fi
