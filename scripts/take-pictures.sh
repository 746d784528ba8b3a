#!/usr/bin/env bash
# Retakes the README's pictures, docs/main-window.png and docs/about-dialog.png, under Wine
# on a virtual display: each is the window alone, as Wine draws it without a window manager
# (IPA fonts standing in for the Japanese system fonts).
set -euo pipefail
source "$(dirname "$0")/setup.sh"
trap 'wineserver -k 2>/dev/null || true; stop_virtual_display' EXIT
bash "$here/prepare-prefix.sh" tests
export JVLINK_STANDIN_SAVEPATH='C:\JVLinkDemo' JVLINK_STANDIN_UI=none
wine "$JVCC_BUILD/bin/JVCacheClean.exe" </dev/null >/dev/null 2>&1 &
window() {
  for _ in $(seq 100); do
    id=$(xwininfo -root -children | sed -n "s/^ *\(0x[0-9a-f]*\) \"$1\".*/\1/p" | head -1)
    [ -n "$id" ] && { echo "$id"; return; }
    sleep 0.2
  done
  echo "no window \"$1\"" >&2
  exit 1
}
main=$(window 'キャッシュデータ削除ツール for JRA-VAN Data Lab.')
sleep 1
import -window "$main" "$JVCC_ROOT/docs/main-window.png"
xdotool key --window "$main" alt+h
sleep 1
xdotool key a
about=$(window 'ﾊﾞｰｼﾞｮﾝ情報')
sleep 1
import -window "$about" "$JVCC_ROOT/docs/about-dialog.png"
echo "docs/main-window.png and docs/about-dialog.png retaken"
