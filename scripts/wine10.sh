#!/usr/bin/env bash
# The second test platform: Debian 13's Wine 10, which answers as Windows 10 and takes the
# POSIX delete disposition, in a Debian 13 root made with debootstrap from Debian's own
# packages. The root is made once per machine, outside every clone, and reused.
#
#   wine10.sh session COMMAND...  under the lock: clears what a killed run left, makes the
#                                 root when it is missing or its package list changed,
#                                 mounts what Wine needs, runs COMMAND (which reaches Wine
#                                 through "wine10.sh run"), then ends every process in the
#                                 root and unmounts, also when the run is stopped.
#   wine10.sh run PROGRAM ARGS... PROGRAM from the root (wine, wineserver, ...), in the
#                                 current folder, with the environment passed on.
#   wine10.sh remove              under the lock: clears the mounts and deletes the root.
#
# Nothing is ever deleted while anything is mounted below the root: a recursive delete
# through a bound /dev or build tree would destroy the host's files.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
base=${JVCC_WINE10_HOME:-/var/cache/jvcacheclean/wine10}
root=$base/root
lock=$base.lock
packages_wanted=$here/wine10-packages.txt
packages_made=$base/packages.txt
child=

fail() { echo "wine10: $*" >&2; exit 1; }

# Whether this machine runs 32-bit code, as the test command found (else asked once here).
if [ -z "${JVCC_RUNS_32BIT:-}" ]; then
  if /usr/lib/wine/wine --version >/dev/null 2>&1; then JVCC_RUNS_32BIT=yes; else JVCC_RUNS_32BIT=no; fi
fi
runs32() { [ "$JVCC_RUNS_32BIT" = yes ]; }

# The packages this machine's root holds: the list's lines, without the 32-bit ones where
# the machine cannot run 32-bit code.
effective_packages() {
  local line
  while read -r line; do
    line=${line%%#*}
    line=$(echo "$line" | xargs)
    [ -n "$line" ] || continue
    case $line in *:i386=*) runs32 || continue ;; esac
    echo "$line"
  done < "$packages_wanted"
}

# Debian's archive as this machine's own apt reaches it (deb822 or one-line sources).
debian_mirror() {
  local codename uri
  codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
  uri=$(cat /etc/apt/sources.list.d/*.sources 2>/dev/null | awk -v suite="$codename" '
          /^[ \t]*$/ { if (found && uris != "") { print uris; exit } uris = ""; found = 0; next }
          /^URIs:/ { uris = $2 }
          /^Suites:/ { for (i = 2; i <= NF; i++) if ($i == suite) found = 1 }
          END { if (found && uris != "") print uris }' | head -1)
  if [ -z "$uri" ]; then
    uri=$(cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null |
          awk -v suite="$codename" '$1 == "deb" && $3 == suite { print $2; exit }')
  fi
  echo "${JVCC_DEBIAN_MIRROR:-$uri}"
}

# Mount points below $base, deepest first.
mounts_below() {
  findmnt -rn -o TARGET | while read -r target; do
    target=$(printf '%b' "$target")
    case $target in "$base" | "$base"/*) echo "$target" ;; esac
  done | awk -F/ '{ print NF "\t" $0 }' | sort -rn | cut -f2-
}

# Ends every process whose root is in $base, Wine's server first, politely and then not.
end_processes() {
  local pids pid link attempt
  for attempt in 1 2 3 4 5 6 7 8 9 10 11; do
    pids=()
    for pid in $(ls /proc | grep -E '^[0-9]+$'); do
      link=$(readlink "/proc/$pid/root" 2>/dev/null) || continue
      case $link in "$base" | "$base"/*) pids+=("$pid") ;; esac
    done
    [ ${#pids[@]} -gt 0 ] || return 0
    if [ "$attempt" = 1 ]; then kill -TERM "${pids[@]}" 2>/dev/null || true
    elif [ "$attempt" = 11 ]; then fail "processes in the root survived SIGKILL: ${pids[*]}"
    elif [ "$attempt" -ge 6 ]; then kill -KILL "${pids[@]}" 2>/dev/null || true; fi
    sleep 0.5
  done
}

unmount_all() {
  local target
  end_processes
  while read -r target; do
    [ -n "$target" ] || continue
    umount "$target" || fail "cannot unmount $target (still in use?)"
  done < <(mounts_below)
  target=$(mounts_below | head -1)
  [ -z "$target" ] || fail "still mounted: $target"
}

# Deletes a folder below $base, never across a mount.
remove_tree() {
  local left
  left=$(mounts_below | grep -F "$1" | head -1 || true)
  [ -z "$left" ] || fail "refusing to delete $1: $left is still mounted"
  rm -rf --one-file-system "$1"
}

bind() {  # SOURCE TARGET
  mkdir -p "$2"
  mount --bind "$1" "$2"
  mount --make-rslave "$2"
}

make_root() {
  local mirror new=$base/root.new wanted
  mirror=$(debian_mirror)
  [ -n "$mirror" ] || fail "no Debian archive found in this machine's apt sources (set JVCC_DEBIAN_MIRROR)"
  command -v debootstrap >/dev/null || fail "debootstrap is not installed"
  mapfile -t wanted < <(effective_packages)
  echo "wine10: making the Debian 13 root in $root (a few minutes, about 2.5 GB)"
  remove_tree "$new"
  mkdir -p "$base"
  debootstrap --variant=minbase trixie "$new" "$mirror" >"$base/make.log" 2>&1 ||
    fail "debootstrap failed; see $base/make.log"
  # debootstrap may leave its own mounts; the install needs /proc alone.
  while read -r target; do umount "$target"; done < <(mounts_below | grep -F "$new/" || true)
  bind /proc "$new/proc"
  (
    set -e
    runs32 && chroot "$new" dpkg --add-architecture i386
    chroot "$new" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    chroot "$new" env DEBIAN_FRONTEND=noninteractive \
      apt-get install -y -qq --no-install-recommends "${wanted[@]}"
    sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' "$new/etc/locale.gen"
    grep -q '^ja_JP.UTF-8 UTF-8' "$new/etc/locale.gen" || echo 'ja_JP.UTF-8 UTF-8' >> "$new/etc/locale.gen"
    chroot "$new" locale-gen
    chroot "$new" apt-get clean
    chroot "$new" dpkg-query -W -f='${Package}:${Architecture}=${Version}\n' > "$base/installed.txt"
  ) >>"$base/make.log" 2>&1 || {
    umount "$new/proc" || true
    local missing
    missing=$(grep -E "^E: (Version|Unable to locate)" "$base/make.log" | head -3 || true)
    fail "installing Debian 13's packages failed${missing:+: $missing}; see $base/make.log." \
         "If a version in scripts/wine10-packages.txt is no longer in Debian 13, record the one it has."
  }
  umount "$new/proc"
  remove_tree "$root"
  mv "$new" "$root"
  printf '%s\n' "${wanted[@]}" > "$packages_made"
}

mount_all() {
  local build=$1
  bind /proc "$root/proc"
  bind /sys "$root/sys"
  bind /dev "$root/dev"
  bind /dev/pts "$root/dev/pts"
  [ -d /dev/shm ] && bind /dev/shm "$root/dev/shm"
  bind /tmp/.X11-unix "$root/tmp/.X11-unix"
  bind "$build" "$root$build"
}

# On every exit that runs a trap: the command ends, then every process in the root, then
# the mounts, deepest first.
finish() {
  local status=$?
  set +e
  if [ -n "$child" ]; then
    kill -TERM "$child" 2>/dev/null
    wait "$child" 2>/dev/null
  fi
  (set -e; unmount_all) || status=1
  exit $status
}

session() {
  [ $# -gt 0 ] || fail "usage: wine10.sh session COMMAND..."
  local build=${JVCC_WINE10_BIND:?the build tree to bind}
  mkdir -p "$(dirname "$base")" "$build"
  exec 9>"$lock"
  if ! flock -n 9; then
    echo "wine10: waiting for another run to leave the Wine 10 root"
    flock 9
  fi
  # What a run killed without its trap left.
  unmount_all
  if [ ! -f "$packages_made" ] || [ ! -d "$root" ] || ! diff -q <(effective_packages) "$packages_made" >/dev/null; then
    make_root
  fi
  trap finish EXIT
  trap 'exit 143' TERM
  trap 'exit 130' INT
  trap 'exit 129' HUP
  mount_all "$build"
  chroot "$root" env DISPLAY="${DISPLAY:-}" xdpyinfo >/dev/null 2>&1 ||
    fail "the display ${DISPLAY:-(none)} cannot be reached from the root"
  echo "wine10: $(chroot "$root" sh -c 'wine --version || wine64 --version' 2>/dev/null | head -1) in $root"
  # The lock stays with this script: nothing that may outlive it holds it.
  "$@" 9>&- &
  child=$!
  wait "$child"
}

run() {
  [ -d "$root/proc/self" ] || fail "the root is not mounted: run the tests through scripts/test.sh"
  exec chroot "$root" /usr/bin/env -u WINELOADER PATH=/usr/local/bin:/usr/bin:/bin:/usr/sbin:/sbin \
    /bin/sh -c 'cd "$0" 2>/dev/null || cd /; exec "$@"' "$PWD" "$@"
}

remove() {
  mkdir -p "$(dirname "$base")"
  exec 9>"$lock"
  flock 9
  unmount_all
  remove_tree "$base/root.new"
  remove_tree "$root"
  rm -f "$packages_made" "$base/installed.txt" "$base/make.log"
  rmdir "$base" 2>/dev/null || true
  echo "wine10: removed $base"
}

case ${1:-} in
  session) shift; session "$@" ;;
  run) shift; run "$@" ;;
  remove) remove ;;
  *) fail "usage: wine10.sh session COMMAND... | run PROGRAM ARGS... | remove" ;;
esac
