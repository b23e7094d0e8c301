#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Fails when a C++ file of src/ or tests/ is not laid out as .clang-format says, naming the
# files; `git clang-format` (or clang-format -i FILE) lays them out.
#
#     tools/check_format.sh
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/tools/install-packages.sh" check_format.sh clang-format
cd "$root"
mapfile -t files < <(git ls-files 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h')
found=$(mktemp)
trap 'rm -f "$found"' EXIT
if ! clang-format --dry-run --Werror "${files[@]}" 2>"$found"; then
    echo "check_format.sh: not laid out as .clang-format says (git clang-format, or clang-format -i):" >&2
    grep -oE '^[^ :][^:]*\.(cpp|h):' "$found" | sed 's/:$//' | sort -u >&2
    exit 1
fi
echo "check_format.sh: ${#files[@]} files laid out as .clang-format says"
