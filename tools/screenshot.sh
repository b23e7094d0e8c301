#!/usr/bin/env bash
# Renders the main window on a virtual X display after it has read the shipped sample and
# saves the picture as docs/window.png (and the "VTI" page as docs/window-vti.png).
#
#     tools/screenshot.sh
#
# Needs xvfb and xauth (apt-get install xvfb xauth) and Qt 6 (qt6-base-dev). The window's
# settings are kept in a temporary folder, so the user's own stay untouched.
# QUARNEL_BUILD_DIR chooses the build folder (default build/).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${QUARNEL_BUILD_DIR:-$root/build}
sample=sample/HVDVD_TS/FEATURE_1.EVO  # relative, as a user in the project folder would type it

if [ -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" >/dev/null
else
    cmake -S "$root" -B "$build" -G Ninja >/dev/null
fi
cmake --build "$build" --target window_shot --parallel 2

cd "$root"
config=$(mktemp -d)
trap 'rm -rf "$config"' EXIT
mkdir -p "$root/docs"
shot() {
    XDG_CONFIG_HOME=$config QT_QPA_PLATFORM=xcb \
        xvfb-run -a -s "-screen 0 1280x800x24 -dpi 96" "$build/bin/window_shot" "$sample" "$@"
}
shot "$root/docs/window.png"
shot "$root/docs/window-vti.png" 4 800x560
echo "docs/window.png, docs/window-vti.png written"
