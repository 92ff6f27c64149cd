#!/bin/sh
# Builds and runs every test: the layout check, the suite in a normal build
# with warnings as errors, the same suite again under AddressSanitizer and
# UndefinedBehaviorSanitizer, and the fuzz targets for a bounded number of
# runs. Any failure or sanitizer report fails.
#
# QUILLMAR_SKIP_FORMAT=1 leaves out the layout check.
set -e
cd "$(dirname "$0")/.."
jobs=$(nproc)
# The tests wait on the player and on child processes about as much as they
# compute, so one more test than cores keeps the machine busy.
test_jobs=$((jobs + 1))

# Both builds compile the test code the same way (only the program's code is
# instrumented in the second), so a compiler cache of this run's own, in the
# checkout and empty at first, lets the second build take it from the first.
export CCACHE_DIR="$PWD/build-ccache" CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
launcher=-DCMAKE_CXX_COMPILER_LAUNCHER=ccache
# -O1 for the program in both builds: the tests run the same, warnings that
# need the optimiser still show, and it compiles faster than -O3.
release_flags="-DCMAKE_CXX_FLAGS_RELEASE=-O1 -DNDEBUG"
# The program's libraries share precompiled Qt headers (see CMakeLists.txt):
# most of a compile unit's time went into parsing them.
speedups="-DQUILLMAR_PRECOMPILED_HEADERS=ON"

# Release: the tests need no debug information, and leaving it out makes the
# build noticeably shorter. Unity builds compile each folder's sources in a
# few batches, so the Qt headers are parsed a few times instead of once per
# file: half the compile time.
# The benchmarks are not built here: they are no tests, and they took a fifth
# of the time. Batches of 16 sources halve the test code's compile units.
cmake -S . -B build -G Ninja -DQUILLMAR_WERROR=ON -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_UNITY_BUILD=ON -DCMAKE_UNITY_BUILD_BATCH_SIZE=16 -DQUILLMAR_BENCHMARKS=OFF "$launcher" "$release_flags" \
    $speedups
cmake --build build -j"$jobs"
ctest --test-dir build -j"$test_jobs" --output-on-failure

# Leaks inside the system libraries (fontconfig, libmpv's decoders) are not
# ours; every other report ends the test with a failure.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
export LSAN_OPTIONS="suppressions=$PWD/tools/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# The same build type as above, so that the test code compiles the same; the
# program's code gets its own options (instrumented, assertions kept).
cmake -S . -B build-sanitize -G Ninja -DQUILLMAR_SANITIZE=ON -DQUILLMAR_WERROR=ON \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_UNITY_BUILD=ON -DCMAKE_UNITY_BUILD_BATCH_SIZE=16 \
    -DQUILLMAR_BENCHMARKS=OFF "$launcher" "$release_flags" $speedups
# Only what the tests run.
cmake --build build-sanitize -j"$jobs" --target quillmar_tests
ctest --test-dir build-sanitize -j"$test_jobs" --output-on-failure

if [ -f fuzz/CMakeLists.txt ]; then
    CC=clang CXX=clang++ cmake -S fuzz -B build-fuzz -G Ninja
    cmake --build build-fuzz -j"$jobs"
    ctest --test-dir build-fuzz -j"$jobs" --output-on-failure
fi

# The layout of the tracked sources against .clang-format; last, so that a
# layout slip does not hide a failing test.
if [ "${QUILLMAR_SKIP_FORMAT:-0}" != 1 ]; then
    git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format-14 --dry-run --Werror
fi
