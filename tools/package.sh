#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian packages quarnel-cli (no Qt) and quarnel (the window), with their -dbgsym
# packages, from debian/ with dpkg-buildpackage, on a copy of the tree in build-package/src/
# (dpkg-buildpackage writes into the folder above the tree it builds, and cleans the tree
# first). Then tools/check_packages.sh lints and tries them.
#
#     tools/package.sh        # the packages land in build-package/packages/
#
# QUARNEL_PACKAGE_BUILD chooses another folder than build-package/.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${QUARNEL_PACKAGE_BUILD:-$root/build-package}
# The build dependencies of debian/control (dpkg-buildpackage checks them again), the tools
# that build, lint and try the packages, and ccache, which the CMake build uses when present.
"$root/tools/install-packages.sh" package.sh cmake ninja-build ccache g++ dpkg-dev debhelper lintian \
    man-db libdvdread-dev libudfread-dev libpng-dev libtesseract-dev nlohmann-json3-dev pkg-config qt6-base-dev

# The release number lives in CMakeLists.txt (project VERSION) and in debian/changelog, which
# names the packages' version: a release changes both.
cmake_version=$(sed -n 's/^project([A-Za-z]* VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
debian_version=$(dpkg-parsechangelog -l "$root/debian/changelog" -S Version)
if [ -z "$cmake_version" ]; then
    echo "package.sh: no project(... VERSION ...) found in CMakeLists.txt" >&2
    exit 1
elif [ "$cmake_version" != "$debian_version" ]; then
    echo "package.sh: CMakeLists.txt says version $cmake_version, debian/changelog $debian_version:" \
        "add an entry for $cmake_version at the top of debian/changelog" >&2
    exit 1
fi

# The tree as it stands, edits included, without the build folders, the outputs and .git.
tree=$build/src/quarnel-$debian_version
rm -rf "$build/src" "$build/packages"
mkdir -p "$tree" "$build/packages"
tar -C "$root" --exclude='./build*' --exclude=./out --exclude=./.git -cf - . | tar -C "$tree" -xf -

# debhelper gives the build a HOME of its own inside the tree, where ccache would start an empty
# cache each time: the user's cache is named instead.
if command -v ccache >/dev/null; then
    CCACHE_DIR=${CCACHE_DIR:-$(ccache -k cache_dir)}
    export CCACHE_DIR
fi

log=$build/dpkg-buildpackage.log
echo "package.sh: dpkg-buildpackage -us -uc -b in $tree (log: $log)"
if ! (cd "$tree" && dpkg-buildpackage -us -uc -b -J"$(nproc)") >"$log" 2>&1; then
    tail -n 40 "$log" >&2
    echo "package.sh: dpkg-buildpackage failed (log: $log)" >&2
    exit 1
fi
mv "$build"/src/*.deb "$build"/src/*.buildinfo "$build"/src/*.changes "$build/packages/"
"$root/tools/check_packages.sh" "$build/packages"
