#!/usr/bin/env bash
# Installs what is missing, builds, prepares the Wine prefix with the stand-in JV-Link and a
# demo save path whose Data and Cache folders hold sample files, then opens the program:
# on $DISPLAY when there is one, else on a virtual display, saving a screenshot.
set -euo pipefail
source "$(dirname "$0")/setup.sh"
trap 'stop_virtual_display' EXIT
bash "$here/prepare-prefix.sh"

demo="$WINEPREFIX/drive_c/JVLinkDemo"
for folder in Data Cache; do
  mkdir -p "$demo/$folder/keep-subfolder"
  for n in 1 2 3; do echo "sample $n" > "$demo/$folder/sample$n.dat"; done
  echo "inside a sub-folder: kept" > "$demo/$folder/keep-subfolder/kept.dat"
done
wine reg add 'HKCU\Software\JVLinkStandIn' /v SavePath /d 'C:\JVLinkDemo' /f </dev/null >/dev/null 2>&1
echo "Demo save path: C:\\JVLinkDemo (= $demo)"

program=$(winepath -w "$JVCC_BUILD/bin/JVCacheClean.exe")
if [ -z "$JVCC_XVFB_PID" ]; then
  wine "$program"
else
  shot="$JVCC_BUILD/screenshot.png"
  wine explorer /desktop=JVCacheClean,480x260 "$program" </dev/null >/dev/null 2>&1 &
  sleep 8
  # The virtual desktop window sits at the top left of the display.
  import -window root -crop 480x260+0+0 +repage "$shot"
  wineserver -k 2>/dev/null || true
  echo "No display: the program ran on a virtual one; screenshot saved to $shot"
fi
