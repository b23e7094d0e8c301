#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The tests that run the writer thread (the write queue itself, and the Demux, Rebuild and Make
# MKV runs that hand it their outputs) built with ThreadSanitizer in build-tsan/: a data race
# fails them. Text recognition is left out of this build: Tesseract and its OpenMP threads are
# not built with the sanitizer.
#
#     tools/check_threads.sh
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$root/build-tsan
cmake --preset tsan -S "$root" -B "$build" >/dev/null
cmake --build "$build" --parallel --target quarnel_tests quarnel-cli
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 ${TSAN_OPTIONS:-}"
ctest --test-dir "$build" --output-on-failure -R '^(WriteQueue|DemuxRun|RebuildRun|MakeMkv|Interruption)\.'
echo "check_threads.sh: no data race in the tests of the writer thread"
