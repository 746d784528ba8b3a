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
wine regsvr32 /s "$(winepath -w "$JVCC_BUILD/bin/jvlink_standin.dll")" </dev/null >/dev/null 2>&1

# Under a bare Xvfb there is no window manager, and Wine waits two seconds for one each
# time a window is hidden: the tests use unmanaged windows. A person's desktop keeps its
# window manager.
x11='HKCU\Software\Wine\X11 Driver'
if [ "${1:-}" = tests ]; then
  wine reg add "$x11" /v Managed /d N /f </dev/null >/dev/null 2>&1
else
  wine reg delete "$x11" /v Managed /f </dev/null >/dev/null 2>&1 || true
fi
