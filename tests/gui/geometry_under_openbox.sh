#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The window's geometry under a real window manager, which frames the window only once it
# shows: openbox on a virtual X display, where the offscreen platform of the other window tests
# has no frame to get wrong. Runs the startup test that maximises, restarts and un-maximises
# the window five times, and the one that fits it on a small screen at twice the scale.
#
#     tests/gui/geometry_under_openbox.sh WINDOW_STARTUP_TEST
#
# Exits with 77 (skipped) when Xvfb, openbox or xprop is not installed (apt-get install xvfb
# openbox x11-utils).
set -euo pipefail

test_binary=$1
for program in Xvfb openbox xprop; do
    if ! command -v "$program" >/dev/null; then
        echo "skipped: $program is not installed (apt-get install xvfb openbox x11-utils)"
        exit 77
    fi
done
scratch=$(mktemp -d)
cleanup() {
    kill "${wm:-}" "${server:-}" 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT
# On a virtual display of SCREEN with the scale factor SCALE, runs the tests named.
under_openbox() {
    local screen=$1 scale=$2
    shift 2
    rm -f "$scratch/display"
    # A display number no other server holds: Xvfb writes the one it took.
    Xvfb -displayfd 3 -screen 0 "${screen}x24" -nolisten tcp 3>"$scratch/display" >/dev/null 2>&1 &
    server=$!
    for _ in $(seq 50); do [ -s "$scratch/display" ] && break; sleep 0.1; done
    DISPLAY=":$(cat "$scratch/display")" openbox --config-file /dev/null >/dev/null 2>&1 &
    wm=$!
    # The window must show under a window manager that already runs (on a busy machine a
    # fixed pause was not always enough): openbox has taken the display once the root window
    # names its check window.
    for _ in $(seq 100); do
        DISPLAY=":$(cat "$scratch/display")" xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' &&
            break
        sleep 0.1
    done
    local status=0
    DISPLAY=":$(cat "$scratch/display")" QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=$scale XDG_RUNTIME_DIR=$scratch \
        "$test_binary" "$@" || status=$?
    kill "$wm" "$server" 2>/dev/null || true
    wait "$wm" "$server" 2>/dev/null || true
    return $status
}
under_openbox 1280x800 1 unMaximisingAfterARestartKeepsTheSize theWindowFitsTheScreenWithItsButtonsInView
under_openbox 1024x768 2 theWindowFitsTheScreenWithItsButtonsInView
