#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks the Debian packages that tools/package.sh built, without installing them: lintian
# finds no error and no warning in any of them (skipped, with a message, where lintian is
# missing); quarnel-cli and quarnel, unpacked into a scratch root, answer --version and --help
# without a display; their manual pages read with man; each has its copyright and changelog.
#
#     tools/check_packages.sh DIR        # DIR holds the .deb files
set -euo pipefail

dir=$1
debs=("$dir"/*.deb)
[ -e "${debs[0]}" ] || { echo "check_packages.sh: no .deb in $dir" >&2; exit 1; }

if command -v lintian >/dev/null; then
    as_root=()
    [ "$(id -u)" -ne 0 ] || as_root=(--allow-root)
    lintian "${as_root[@]}" --fail-on error,warning "${debs[@]}"
    echo "check_packages.sh: lintian finds no error or warning in ${#debs[@]} packages"
else
    echo "check_packages.sh: lintian is not installed, the packages are not linted" \
        "(apt-get install lintian)" >&2
fi

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
for deb in "${debs[@]}"; do
    dpkg-deb -x "$deb" "$scratch"
    echo "$(basename "$deb"): $(dpkg-deb -f "$deb" Package) $(dpkg-deb -f "$deb" Version)," \
        "depends: $(dpkg-deb -f "$deb" Depends)"
done
"$scratch/usr/bin/quarnel-cli" --version
# The window's --help and --version are answered before Qt looks for a display.
env -u DISPLAY -u WAYLAND_DISPLAY "$scratch/usr/bin/quarnel" --help >/dev/null
env -u DISPLAY -u WAYLAND_DISPLAY "$scratch/usr/bin/quarnel" --version
for page in quarnel-cli quarnel; do
    file=$scratch/usr/share/man/man1/$page.1.gz
    test -f "$file" || { echo "check_packages.sh: no manual page $file" >&2; exit 1; }
    man -l -P cat "$file" >/dev/null || { echo "check_packages.sh: man cannot read $file" >&2; exit 1; }
done
for package in quarnel-cli quarnel; do
    for file in copyright changelog.gz; do
        test -f "$scratch/usr/share/doc/$package/$file" ||
            { echo "check_packages.sh: $package lacks /usr/share/doc/$package/$file" >&2; exit 1; }
    done
done
test -f "$scratch/usr/share/applications/quarnel.desktop"
echo "check_packages.sh: the packages unpack and run"
