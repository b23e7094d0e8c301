#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
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
# libtesseract-dev and its English and German data read subtitles as text (srt); the tests draw their text
# with FreeType in the DejaVu fonts. libdvdread-dev reads DVD-Video discs (folders and images),
# libudfread-dev HD DVD images;
# dvdauthor, spumux, lsdvd and genisoimage make and check the DVDs of the tests; xmllint
# (libxml2-utils) checks the HD DVD playlists they write, udfinfo (udftools) their HD DVD image.
# debhelper builds the Debian packages (dpkg-buildpackage -us -uc -b, tools/package.sh), lintian
# and man-db check them; clang-format keeps the layout (tools/check_format.sh); openbox is the
# window manager the window's geometry is tested under (tests/gui/geometry_under_openbox.sh, which
# asks xprop of x11-utils when it runs).
packages=(cmake ninja-build ccache g++ libgtest-dev libpng-dev nlohmann-json3-dev ffmpeg mkvtoolnix qt6-base-dev xvfb xauth
    libtesseract-dev tesseract-ocr-eng tesseract-ocr-deu pkg-config libfreetype-dev fonts-dejavu-core libdvdread-dev
    libudfread-dev dvdauthor lsdvd genisoimage libxml2-utils udftools debhelper lintian man-db clang-format openbox x11-utils)

"$root/tools/install-packages.sh" setup "${packages[@]}"

# The "default" preset (CMakePresets.json; QUARNEL_PRESET=ci, as tools/run-tests.sh sets it,
# fails on a compiler warning); ccache, found by CMake, keeps compiled objects between builds
# and clones: a rebuild costs seconds.
cmake --preset "${QUARNEL_PRESET:-default}" -S "$root" -B "$build" >/dev/null
targets=()
for t in "$@"; do targets+=(--target "$t"); done
cmake --build "$build" --parallel "${targets[@]}"
