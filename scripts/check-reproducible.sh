#!/usr/bin/env bash
# Checks that every zip in dist/ is what its sources build. For each, it takes the commit
# recorded beside it, builds that commit's release with that commit's own scripts twice (in
# a fresh clone, and in an export without .git) and compares both with the committed zip
# byte for byte, and checks that the release command run on the commit that holds dist/
# leaves dist/ unchanged. Prints the hashes; exits 1 when anything differs or a zip has no
# record.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
hash() { sha256sum "$1" | cut -d' ' -f1; }
shopt -s nullglob
zips=("$root"/dist/*.zip)
[ ${#zips[@]} -gt 0 ] || { echo "dist/ holds no zip"; exit 1; }
status=0
for zip in "${zips[@]}"; do
  name=$(basename "$zip")
  if [ ! -s "$zip.commit" ]; then
    echo "$name: no recorded source commit ($name.commit)"; status=1; continue
  fi
  commit=$(cat "$zip.commit")
  echo "$name: built from $commit"
  echo "  committed   $(hash "$zip")"
  if ! (cd "$root/dist" && sha256sum --quiet -c "$name.sha256"); then
    echo "  $name.sha256 does not match the zip"; status=1
  fi
  clone="$work/clone-$RANDOM"
  git clone -q "$root" "$clone"
  git -C "$clone" -c advice.detachedHead=false checkout -q "$commit"
  export="$work/export-$RANDOM"
  mkdir "$export"
  git -C "$root" archive "$commit" | tar -x -C "$export"
  for tree in "$clone" "$export"; do
    kind=${tree##*/}; kind=${kind%-*}
    JVCC_DIST="$work/out-$kind" bash "$tree/scripts/release.sh" >/dev/null
    built="$work/out-$kind/$name"
    if [ ! -f "$built" ]; then
      echo "  $kind: builds no $name"; status=1
    elif cmp -s "$built" "$zip"; then
      echo "  from $kind $(hash "$built")  identical"
    else
      echo "  from $kind $(hash "$built")  DIFFERS"; status=1
    fi
  done
done
# The release command run again on the commit that holds dist/ must leave dist/ as it is.
head="$work/head"
git clone -q "$root" "$head"
bash "$head/scripts/release.sh" >/dev/null
if [ -n "$(git -C "$head" status --porcelain -- dist)" ]; then
  echo "release.sh run on $(git -C "$head" rev-parse --short HEAD) changes dist/:"
  git -C "$head" status --short -- dist
  status=1
else
  echo "release.sh run on $(git -C "$head" rev-parse --short HEAD) leaves dist/ unchanged"
fi
[ $status -eq 0 ] && echo "reproducible: every zip in dist/ is what its commit builds" || echo "NOT reproducible"
exit $status
