# Sourced by run.sh and take-pictures.sh: installs what is missing, builds, and readies a display
# and a fresh Wine server for the build tree's prefix.
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
bash "$here/install-deps.sh"
bash "$here/build.sh"
source "$here/wine-env.sh"
source "$here/xvfb.sh"
# A Wine server left from an earlier run may be tied to a display that is gone.
wineserver -k 2>/dev/null || true
