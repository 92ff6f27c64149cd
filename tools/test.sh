#!/bin/sh
# Builds and runs every test: the suite in a normal build, the same suite
# again under AddressSanitizer and UndefinedBehaviorSanitizer, and the fuzz
# targets for a bounded number of runs. Any failure or sanitizer report fails.
set -e
cd "$(dirname "$0")/.."
jobs=$(nproc)

cmake -S . -B build
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure

# Leaks inside the system libraries (fontconfig, libmpv's decoders) are not
# ours; every other report ends the test with a failure.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
export LSAN_OPTIONS="suppressions=$PWD/tools/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
cmake -S . -B build-sanitize -DQUILLMAR_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
cmake --build build-sanitize -j"$jobs"
ctest --test-dir build-sanitize --output-on-failure

if [ -f fuzz/CMakeLists.txt ]; then
    CC=clang CXX=clang++ cmake -S fuzz -B build-fuzz
    cmake --build build-fuzz -j"$jobs"
    ctest --test-dir build-fuzz --output-on-failure
fi
