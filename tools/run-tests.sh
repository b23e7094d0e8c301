#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Every test: builds the project and the tests (installing what is missing, see tools/setup.sh),
# then runs them all through ctest.
#
#     tools/run-tests.sh [CTEST_OPTION...]
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${QUARNEL_BUILD_DIR:-$root/build}

# The layout first (a second), then the build in which a compiler warning is an error.
"$root/tools/check_format.sh"
QUARNEL_PRESET=ci "$root/tools/setup.sh"
ctest --test-dir "$build" --output-on-failure "$@"

# The Debian packages, built by dpkg-buildpackage, linted and tried without installing them
# (tools/package.sh, tools/check_packages.sh). QUARNEL_SKIP_PACKAGE=1 leaves them out.
if [ "${QUARNEL_SKIP_PACKAGE:-0}" != 1 ]; then
    "$root/tools/package.sh"
fi

# The writer thread's tests under ThreadSanitizer (tools/check_threads.sh).
# QUARNEL_SKIP_TSAN=1 leaves them out.
if [ "${QUARNEL_SKIP_TSAN:-0}" != 1 ]; then
    "$root/tools/check_threads.sh"
fi

# The checked build: the suite again under AddressSanitizer and UndefinedBehaviorSanitizer, then
# every fuzz target for a short time (fuzz/ci.sh). QUARNEL_SKIP_SANITIZE=1 leaves it out.
if [ "${QUARNEL_SKIP_SANITIZE:-0}" != 1 ]; then
    "$root/fuzz/ci.sh" "${QUARNEL_FUZZ_SECONDS:-20}"
fi
