# Sourced: starts a virtual display when there is none; stop_virtual_display ends it.
JVCC_XVFB_PID=
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
  for n in $(seq 90 130); do
    if [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; then continue; fi
    Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
    JVCC_XVFB_PID=$!
    export DISPLAY=":$n"
    for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
    break
  done
fi
stop_virtual_display() {
  if [ -n "$JVCC_XVFB_PID" ]; then kill "$JVCC_XVFB_PID" 2>/dev/null || true; fi
}
