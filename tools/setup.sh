#!/usr/bin/env bash
# The set-up that the run scripts share, for a Debian 12 machine: installs with apt-get whatever
# the build and the tests need and is missing (using sudo when not root), then configures and
# builds the project in build/ (binaries in build/bin/).
#
#     tools/setup.sh [TARGET...]      # no target: build everything
#
# QUARNEL_BUILD_DIR chooses another build folder.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${QUARNEL_BUILD_DIR:-$root/build}
packages=(cmake ninja-build g++ libgtest-dev ffmpeg qt6-base-dev xvfb xauth)

"$root/tools/install-packages.sh" setup "${packages[@]}"

if [ -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" >/dev/null
else
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
targets=()
for t in "$@"; do targets+=(--target "$t"); done
cmake --build "$build" --parallel "${targets[@]}"
