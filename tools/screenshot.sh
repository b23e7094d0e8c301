#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Renders every page of the main window on a virtual X display after it has read the shipped
# sample and its playlist:
#   docs/window.png (the "Status" page), docs/window-PAGE.png for the other pages, at the
#   default window size; docs/window-titles.png with the sample opened as a disc;
#   docs/window-dark.png and docs/window-tracks-dark.png in a dark palette; and the same pictures at twice the scale in build/screenshots/2x/,
#   to check that nothing is clipped on a high-density screen.
#
#     tools/screenshot.sh
#
# Needs xvfb and xauth (apt-get install xvfb xauth) and Qt 6 (qt6-base-dev). The window's
# settings are kept in a temporary folder, so the user's own stay untouched.
# QUARNEL_BUILD_DIR chooses the build folder (default build/).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${QUARNEL_BUILD_DIR:-$root/build}
default_source=sample/HVDVD_TS/FEATURE_1.EVO  # relative, as a user in the project folder would type it

cmake --preset default -S "$root" -B "$build" >/dev/null
cmake --build "$build" --target window_shot --parallel 2

cd "$root"
config=$(mktemp -d)
trap 'rm -rf "$config"' EXIT
large="$build/screenshots/2x"
mkdir -p "$root/docs" "$large"
pages=(window window-video window-subpicture window-tracks window-xpl window-vti window-options window-about)
shot() {  # SCALE SCREEN OUTPUT PAGE
    rm -rf "${config:?}"/*
    XDG_CONFIG_HOME=$config QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=$1 QUARNEL_SHOT_DARK=${dark:-0} \
        xvfb-run -a -s "-screen 0 $2x24 -dpi 96" "$build/bin/window_shot" "${sample:-$default_source}" "$3" "$4" 2>/dev/null
}
for page in "${!pages[@]}"; do
    shot 1 1280x800 "$root/docs/${pages[$page]}.png" "$page"
    shot 2 2560x1600 "$large/${pages[$page]}.png" "$page"
done
# The shipped sample opened as a disc: its titles listed above the stream boxes.
sample=sample shot 1 1280x800 "$root/docs/window-titles.png" 1
# The log and the track table on a dark desktop palette.
dark=1 shot 1 1280x800 "$root/docs/window-dark.png" 0
dark=1 shot 1 1280x800 "$root/docs/window-tracks-dark.png" 3
echo "docs/window*.png written; twice the scale in ${large#"$root"/}/"
