#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The checked build of CI: the whole test suite built with AddressSanitizer and
# UndefinedBehaviorSanitizer (clang) and run through ctest, then every fuzz target for a short
# time from its seeds and the inputs of earlier findings, with a fixed seed so that each run
# meets the same inputs. Installs clang and the sanitizer
# runtimes when they are missing (Debian 12). The targets are those of fuzz/CMakeLists.txt:
# read, demux, rebuild, scanner, analysers, markup, file_sequence, playlist, vti, subpicture and
# ocr_picture (the picture preparation of character recognition).
#
# Tesseract stays out of this build (QUARNEL_OCR is off by default with the sanitizers): the
# library and its OpenMP threads are not built with them. The preparation of pictures for it
# is ours and is fuzzed; the srt tests skip here.
#
#     fuzz/ci.sh [SECONDS_PER_TARGET]      # default 20; two targets run at a time
#
# QUARNEL_ASAN_BUILD chooses the build folder (default build-asan). The window is left out: it
# has tests of its own in the normal build.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${QUARNEL_ASAN_BUILD:-$root/build-asan}
seconds=${1:-20}
packages=(clang libclang-rt-14-dev cmake ninja-build ccache libgtest-dev libpng-dev nlohmann-json3-dev libfreetype-dev
    libdvdread-dev pkg-config
    fonts-dejavu-core)

"$root/tools/install-packages.sh" fuzz/ci.sh "${packages[@]}"

# One build serves both (the "asan-fuzz" preset): the sanitizers over everything, the fuzzer's
# coverage on top.
cmake --preset asan-fuzz -S "$root" -B "$build" >/dev/null
cmake --build "$build" --parallel 2

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
ctest --test-dir "$build" --output-on-failure --parallel 2

QUARNEL_FUZZ_BUILD=$build QUARNEL_FUZZ_JOBS=2 QUARNEL_FUZZ_SEED=1 "$root/fuzz/run.sh" "$seconds"
