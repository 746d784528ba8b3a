#!/bin/sh
# Restarts the tests' Wine session with the screen at the DPI given (without one, at Wine's
# default), as a user signs in again after changing it. JVCC_WINE and JVCC_WINESERVER name
# the platform's commands; WINEPREFIX its prefix.
set -e
desktop='HKCU\Control Panel\Desktop'
if [ -n "${1:-}" ]; then
  "$JVCC_WINE" reg add "$desktop" /v LogPixels /t REG_DWORD /d "$1" /f </dev/null >/dev/null 2>&1
else
  "$JVCC_WINE" reg delete "$desktop" /v LogPixels /f </dev/null >/dev/null 2>&1 || true
fi
"$JVCC_WINESERVER" -k 2>/dev/null || true
"$JVCC_WINESERVER" -w 2>/dev/null || true
"$JVCC_WINESERVER" -p </dev/null >/dev/null 2>&1
# The session's first program starts Wine's services, which keep its output open as long
# as the server lives: that program is this one, with none.
"$JVCC_WINE" reg query "$desktop" </dev/null >/dev/null 2>&1 || true
echo "Wine session restarted at ${1:-the default} DPI"
