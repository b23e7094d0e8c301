#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs with apt-get (through sudo when not root) those of the named Debian packages that are
# missing; on a system without dpkg it only says which packages are needed.
#
#     tools/install-packages.sh WHO PACKAGE...      # WHO names the caller in its messages
set -euo pipefail

who=$1
shift
if ! command -v dpkg-query >/dev/null; then
    echo "$who: not a Debian system; make sure $* (or their equivalents) are installed" >&2
    exit 0
fi
missing=()
for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
done
((${#missing[@]})) || exit 0
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)
echo "$who: installing ${missing[*]}" >&2
"${sudo[@]}" apt-get update
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
