#!/usr/bin/env bash
# Makes the release that Windows users download: dist/JVCacheClean-<version>.zip (one folder,
# JVCacheClean-<version>\, holding the stripped 32-bit program, Readme.txt, LICENSE.txt and
# THIRD-PARTY-NOTICES.txt), its .sha256
# and its .commit (the source commit it was built from). Reproducible: the same sources give
# the same bytes, in any folder, at any time, from a clone or from an export without .git.
# Safe to run again.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
bash "$here/install-deps.sh"
build=${JVCC_RELEASE_BUILD:-$root/build/release}
dist=${JVCC_DIST:-$root/dist}

# The commit is recorded only when the sources are exactly that commit's; anything else
# would send a reader to sources that do not build this zip. It is the last commit that
# changed anything outside dist/, so that the commit adding dist/ records the same one, and
# running this again on it changes nothing.
commit=
if git -C "$root" rev-parse --git-dir >/dev/null 2>&1; then
  if [ -n "$(git -C "$root" status --porcelain -- . ':(exclude)dist')" ]; then
    echo "release.sh: the sources differ from the last commit; commit them first" >&2
    exit 1
  fi
  commit=$(git -C "$root" log -1 --format=%H -- . ':(exclude)dist')
fi

cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release \
      -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" --target JVCacheClean release_readme -j"$(nproc)" -- --no-print-directory >/dev/null
setting() { sed -n "s/^set($1 \"\(.*\)\")\$/\1/p" "$build/CPackConfig.cmake"; }
name=$(setting CPACK_PACKAGE_FILE_NAME)
date=$(setting CPACK_JVCC_RELEASE_DATE)
# Every member is dated midnight (UTC) of the release date, in a fixed order with fixed
# attributes.
[[ $date =~ ^[0-9]{4}-[0-9]{2}-[0-9]{2}$ ]] && epoch=$(date -u -d "$date" +%s) ||
  { echo "release.sh: no release date (YYYY-MM-DD) beside the version in CMakeLists.txt" >&2; exit 1; }
rm -f "$build/$name.zip"
(cd "$build" && cpack -G ZIP >/dev/null)
strip-nondeterminism --type zip --timestamp "$epoch" "$build/$name.zip" >/dev/null

mkdir -p "$dist"
cp "$build/$name.zip" "$dist/"
(cd "$dist" && sha256sum "$name.zip" > "$name.zip.sha256")
if [ -n "$commit" ]; then
  echo "$commit" > "$dist/$name.zip.commit"
else
  rm -f "$dist/$name.zip.commit"
  echo "(no git history here: the source commit is not recorded)"
fi

echo "$dist/$name.zip, dated $date"
unzip -l "$dist/$name.zip" | sed -n '4,$p'
echo "JVCacheClean.exe: $(unzip -p "$dist/$name.zip" "$name/JVCacheClean.exe" | wc -c) bytes"
cat "$dist/$name.zip.sha256"
[ -z "$commit" ] || echo "built from commit $commit"
