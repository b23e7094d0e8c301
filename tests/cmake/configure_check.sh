#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Configures the project in a scratch folder as a command-line build on a machine without
# GoogleTest, and checks what that build would do: quarnel-cli is built and the tests are left
# out with a message; the release number comes from the generated header, not from a compile
# definition; with ccache installed, compiles go through it with the shared cache settings; no
# compile definition ties an object to this clone's folder.
#
#     tests/cmake/configure_check.sh SOURCE_DIR
set -euo pipefail

src=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "configure_check: $*" >&2; exit 1; }

cmake -S "$src" -B "$scratch" -G Ninja -DQUARNEL_GUI=OFF -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON >"$scratch/said" 2>&1 ||
    { cat "$scratch/said" >&2; fail "the build without GoogleTest does not configure"; }
grep -q "GoogleTest not found: the tests are not built" "$scratch/said" || fail "no message that the tests are left out"
targets=$(ninja -C "$scratch" -t targets all)
grep -q '^quarnel-cli:' <<<"$targets" || fail "quarnel-cli is not built without GoogleTest"
grep -q 'quarnel_tests' <<<"$targets" && fail "the tests are built without GoogleTest"

version=$(sed -n 's/^project(Quarnel VERSION \([0-9.]*\).*/\1/p' "$src/CMakeLists.txt")
grep -qx "#define QUARNEL_VERSION \"$version\"" "$scratch/generated/quarnel_version.h" ||
    fail "generated/quarnel_version.h does not hold $version"
grep -q 'QUARNEL_VERSION' "$scratch/build.ninja" && fail "the release number is still a compile definition"

if command -v ccache >/dev/null; then
    grep -q "CCACHE_BASEDIR=$src .*ccache" "$scratch/CMakeFiles/rules.ninja" || fail "compiles do not go through ccache"
fi

# A compile definition that holds this clone's folder makes its object differ in every clone, so
# ccache cannot share it: only fixtures/build_paths.cpp may have one (or one undone by -U).
cmake -S "$src" -B "$scratch/full" -G Ninja >/dev/null 2>&1 || fail "the full build does not configure"
clone_bound=$(awk -v src="$src" '
    function check() { if (obj !~ /build_paths/)
        for (i = 2; i <= n; i++) if (index(d[i], src) && index(flags, "-U" substr(d[i], 1, index(d[i], "=") - 1)) == 0) print obj }
    /^build / { check(); obj = $2; n = 0; flags = "" }
    /^  DEFINES = / { n = split($0, d, " -D") }
    /^  FLAGS = / { flags = $0 }
    END { check() }' "$scratch/full/build.ninja")
[ -z "$clone_bound" ] || fail "compile definitions hold the clone's folder: $clone_bound"
echo "configure_check: the build configures as it should"
