#!/usr/bin/env bash
# Sets everything up, builds and runs the whole test suite (window tests run
# headless). Extra CMake arguments can be given in $CMAKE_ARGS, another build
# folder in $BUILD_DIR.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
BUILD_DIR=${BUILD_DIR:-build}
# In a sanitizer build, leaks inside libraries outside the project are passed
# over (see the file for each one and why); any other leak fails its test.
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/tools/lsan-suppressions.txt:print_suppressions=0}
cd "$BUILD_DIR"
ctest --output-on-failure -j"$(nproc)" --timeout 300
