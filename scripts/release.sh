#!/usr/bin/env bash
# Makes the release that Windows users download: dist/JVCacheClean-<version>.zip (the
# stripped 32-bit program, Readme.txt, LICENSE.txt and THIRD-PARTY-NOTICES.txt) and its .sha256, reproducibly: the
# same commit gives the same bytes, in any folder and at any time. Safe to run again.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
bash "$here/install-deps.sh"
build=${JVCC_RELEASE_BUILD:-$root/build/release}
dist=${JVCC_DIST:-$root/dist}

cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=Release \
      -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" --target JVCacheClean release_readme -j"$(nproc)" -- --no-print-directory >/dev/null
name=$(sed -n 's/^set(CPACK_PACKAGE_FILE_NAME "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")
rm -f "$build/$name.zip"
(cd "$build" && cpack -G ZIP >/dev/null)

# The zip's dates are those of the last commit of the sources (a commit of dist/ alone does
# not count), its members in a fixed order with fixed attributes.
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct -- . ':(exclude)dist' 2>/dev/null || true)}
epoch=${epoch:-1767225600}
strip-nondeterminism --type zip --timestamp "$epoch" "$build/$name.zip" >/dev/null
mkdir -p "$dist"
cp "$build/$name.zip" "$dist/"
(cd "$dist" && sha256sum "$name.zip" > "$name.zip.sha256")

echo "$dist/$name.zip"
unzip -l "$dist/$name.zip" | sed -n '4,$p'
echo "JVCacheClean.exe: $(unzip -p "$dist/$name.zip" JVCacheClean.exe | wc -c) bytes"
cat "$dist/$name.zip.sha256"
