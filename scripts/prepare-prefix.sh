#!/usr/bin/env bash
# Makes the build tree's Wine prefix (32-bit, Japanese), keeps its server running, maps the
# program's Japanese font names onto the installed IPA fonts, and registers the stand-in
# there (and nowhere else).
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot -i </dev/null >/dev/null 2>&1 || true
fi
# Wine draws the title bar's buttons with its Marlett font (Debian's fonts-wine); without it
# they show as the letters "0 1 r". This Wine finds it in the prefix's Fonts folder.
mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
cp -u /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
wineserver -p </dev/null >/dev/null 2>&1 || true
replacements='HKCU\Software\Wine\Fonts\Replacements'
wine reg add "$replacements" /v 'ＭＳ Ｐゴシック' /d 'IPAPGothic' /f </dev/null >/dev/null 2>&1
wine reg add "$replacements" /v 'ＭＳ ゴシック' /d 'IPAGothic' /f </dev/null >/dev/null 2>&1
# A prefix copied from another build tree holds a stand-in registered there, which the
# stand-in will not overwrite (on a real machine it might be JV-Link itself): a registration
# that says it is the stand-in's is removed first and made again for this tree.
clsid='HKCR\CLSID\{2AB1774D-0C41-11D7-916F-0003479BEB3F}'
if wine reg query "$clsid" /ve </dev/null 2>/dev/null | tr -d '\r' | grep -q 'REG_SZ *JV-Link stand-in$'; then
  wine reg delete "$clsid" /f </dev/null >/dev/null 2>&1
  wine reg delete 'HKCR\JVDTLab.JVLink' /f </dev/null >/dev/null 2>&1 || true
fi
wine regsvr32 /s "$(winepath -w "$JVCC_BUILD/bin/jvlink_standin.dll")" </dev/null >/dev/null 2>&1

# What a test changes in the prefix for itself it puts back when it ends; a run that was
# killed leaves it changed. The screen's DPI goes back to Wine's default (no value), and
# the browser associations that a test takes away come back from where it kept them.
wine reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f </dev/null >/dev/null 2>&1 || true
kept='HKCU\Software\JVCacheCleanTests'
if wine reg query "$kept\\Associations" </dev/null >/dev/null 2>&1; then
  for key in .htm http https htmlfile; do
    if wine reg query "$kept\\Associations\\$key" </dev/null >/dev/null 2>&1; then
      wine reg copy "$kept\\Associations\\$key" "HKCR\\$key" /s /f </dev/null >/dev/null 2>&1
    fi
  done
  wine reg delete "$kept" /f </dev/null >/dev/null 2>&1
fi

# Under a bare Xvfb there is no window manager, and Wine waits two seconds for one each
# time a window is hidden: the tests use unmanaged windows. A person's desktop keeps its
# window manager.
x11='HKCU\Software\Wine\X11 Driver'
if [ "${1:-}" = tests ]; then
  wine reg add "$x11" /v Managed /d N /f </dev/null >/dev/null 2>&1
else
  wine reg delete "$x11" /v Managed /f </dev/null >/dev/null 2>&1 || true
fi
