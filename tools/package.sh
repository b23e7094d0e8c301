#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian packages quarnel-cli (no Qt) and quarnel (the window) in build-package/,
# then tries them without installing them: each is unpacked into a scratch folder and its
# programs answer --version there (the window's without a display).
#
#     tools/package.sh        # the packages land in build-package/packages/
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${QUARNEL_PACKAGE_BUILD:-$root/build-package}
"$root/tools/install-packages.sh" package.sh cmake ninja-build ccache g++ dpkg-dev file libpng-dev \
    nlohmann-json3-dev qt6-base-dev libtesseract-dev pkg-config libdvdread-dev

cmake --preset package -S "$root" -B "$build" >/dev/null
cmake --build "$build" --parallel
(cd "$build" && cpack -B "$build/packages" >/dev/null)

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
for deb in "$build"/packages/*.deb; do
    dpkg-deb -x "$deb" "$scratch"
    echo "$(basename "$deb"): $(dpkg-deb -f "$deb" Package) $(dpkg-deb -f "$deb" Version), depends: $(dpkg-deb -f "$deb" Depends)"
done
"$scratch/usr/bin/quarnel-cli" --version
[ -x "$scratch/usr/bin/quarnel" ] && env -u DISPLAY -u WAYLAND_DISPLAY "$scratch/usr/bin/quarnel" --version
test -f "$scratch/usr/share/man/man1/quarnel-cli.1"
test -f "$scratch/usr/share/applications/quarnel.desktop"
echo "package.sh: the packages unpack and run"
